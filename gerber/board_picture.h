// A board painted on a picture at true scale: copper filled as a board viewer shows it, holes
// as discs of their diameter.
#pragma once

#include "core/picture.h"
#include "gerber/board.h"

#include <QColor>
#include <QSize>
#include <QTransform>

namespace ostrel {

// Where the board's millimetres land on the picture: pixels from the picture's top-left corner,
// Y up the board and down the picture.
struct BoardView {
    double scale = 1;  // pixels per mm
    double left = 0;   // the pixel column of the board's x = 0 (of -x when mirrored)
    double top = 0;    // the pixel row of the board's y = 0
    bool mirror_x = false;

    QTransform transform() const {
        return QTransform(mirror_x ? -scale : scale, 0, 0, -scale, left, top);
    }
};

struct BoardColours {
    QColor background{255, 255, 255};
    QColor copper{184, 98, 36};
    QColor hole{40, 40, 40};
};

// The view that shows the whole board (mirrored or not) as large as fits share of the picture,
// centred; an empty board gets 1 pixel per mm about the origin.
BoardView fit_board(const BoxMm& extents, bool mirror_x, QSize picture, double share = 0.9);

// Paints the board's copper level by level (a clear level in the background colour), then its
// holes and slots, over whatever the picture holds.
void paint_board(const Board& board, Picture& picture, const BoardView& view,
                 const BoardColours& colours = {});

}  // namespace ostrel
