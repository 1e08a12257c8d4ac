// The board's picture beside a Gerber viewer's: both rendered over one window of the board, and
// the share of copper pixels they agree on.
#pragma once

#include "gerber/board.h"

#include <QImage>
#include <QString>
#include <optional>

namespace ostrel::testing {

// A window over the board: its lower-left corner in inches, the resolution, the size in pixels.
struct BoardWindow {
    double left_in = 0;
    double bottom_in = 0;
    int dpi = 100;
    int width = 1;
    int height = 1;
};

// The box with a margin, at a resolution that makes its longer side about longest pixels.
BoardWindow window_around(const BoxMm& box, int longest = 1000);

// gerbv's picture of the file over the window (black copper on white), or nothing with the reason
// in why: gerbv is not installed, or it failed.
std::optional<QImage> reference_picture(const QString& path, const BoardWindow& window,
                                        const QString& work_folder, QString& why);

// The board painted over the same window.
QImage board_picture(const Board& board, const BoardWindow& window);

// Copper pixels (darker than mid grey in the reference, not white in the board's picture) that
// both show, over those either shows; 1 when neither shows any.
double copper_agreement(const QImage& reference, const QImage& board);

}  // namespace ostrel::testing
