// The board's picture beside a Gerber viewer's: both rendered over the same windows of the board,
// and the share of copper pixels they agree on.
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

// gerbv's picture of the file over the window: black copper on white, smoothed, so that a pixel
// is copper when copper covers at least half of it, as near as the board's picture gets. Nothing
// when gerbv is not installed or fails, with the reason in why.
std::optional<QImage> reference_picture(const QString& path, const BoardWindow& window,
                                        const QString& work_folder, QString& why);

// The board painted over the same window.
QImage board_picture(const Board& board, const BoardWindow& window);

// Copper pixels both pictures show, those either shows, and of the latter those only one shows
// but the other has copper next to them. gerbv moves each flash to a whole pixel, so an edge
// may lie a pixel off along a whole outline: agreement_at_edges forgives exactly that.
struct CopperCount {
    long long both = 0;
    long long either = 0;
    long long edge = 0;
    double agreement() const {
        return either == 0 ? 1.0 : static_cast<double>(both) / static_cast<double>(either);
    }
    double agreement_at_edges() const {
        return either == edge ? 1.0
                              : static_cast<double>(both) / static_cast<double>(either - edge);
    }
};
CopperCount count_copper(const QImage& reference, const QImage& board);

// Both pictures in one, to look at: copper both show black, only the reference's red, only the
// board's blue.
QImage copper_difference(const QImage& reference, const QImage& board);

// The whole board compared window by window, at a resolution where its narrowest aperture or
// hole is several pixels wide (but no more pixels than a test can afford). Nothing, with the
// reason, when gerbv can't be run. When keep is given the difference of the first window is
// saved there.
std::optional<CopperCount> compare_with_reference(const QString& path, const Board& board,
                                                  const QString& work_folder, QString& why,
                                                  const QString& keep = {});

}  // namespace ostrel::testing
