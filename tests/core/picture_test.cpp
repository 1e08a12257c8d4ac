// The picture's own convex fill against the painter's path fill.
#include "core/picture.h"

#include <gtest/gtest.h>
#include <QPainter>
#include <cmath>
#include <numbers>
#include <random>

namespace ostrel {
namespace {

// Regular polygons (pens, discs), thin slivers and random triangles, at any fraction of a pixel,
// and rectangles and diagonals on the half-pixel grid, partly off the picture, filled both ways.
// The painter rounds where a side crosses a row: a centre within that rounding of a side may go
// either way, a few pixels in a hundred thousand; a rule off by any fraction of a pixel would
// differ in hundreds.
TEST(ImagePicture, ConvexPolygonsPaintThePixelsThePainterFills) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> place(-10, 70);
    std::uniform_real_distribution<double> size(0.2, 12);
    std::uniform_real_distribution<double> turn(0, 2 * std::numbers::pi);
    const QSize picture_size(60, 50);
    int differing = 0;
    int painted = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        std::vector<QPointF> polygon;
        const QPointF centre(place(random), place(random));
        const int kind = trial % 4;
        if (kind == 0) {  // a regular polygon
            const int sides = 3 + trial % 14;
            const double r = size(random);
            const double start = turn(random);
            for (int i = 0; i < sides; ++i) {
                const double a = start + 2 * std::numbers::pi * i / sides;
                polygon.push_back(centre + r * QPointF(std::cos(a), std::sin(a)));
            }
        } else if (kind == 1) {  // a sliver: a long thin rectangle at any angle
            const double a = turn(random);
            const QPointF along = size(random) * QPointF(std::cos(a), std::sin(a));
            const QPointF across = 0.3 * size(random) / 12 * QPointF(-std::sin(a), std::cos(a));
            polygon = {centre - along - across, centre + along - across, centre + along + across,
                       centre - along + across};
        } else if (kind == 2) {  // a triangle, either way round
            polygon = {centre, centre + QPointF(size(random), size(random) - 6),
                       centre + QPointF(size(random) - 6, size(random))};
        } else {  // on the half-pixel grid, as boards drawn on a grid come: centres on sides
            const auto grid = [](double v) { return std::round(2 * v) / 2; };
            const QPointF corner(grid(centre.x()), grid(centre.y()));
            const double w = grid(size(random)) + 0.5;
            const double h = grid(size(random)) + 0.5;
            polygon = trial % 8 == 3
                          ? std::vector<QPointF>{corner, corner + QPointF(w, 0),
                                                 corner + QPointF(w, h), corner + QPointF(0, h)}
                          : std::vector<QPointF>{corner, corner + QPointF(w, w),
                                                 corner + QPointF(0, 2 * w)};
        }
        ImagePicture ours(picture_size);
        const int count = static_cast<int>(polygon.size());
        ours.fill_convex_polygons(polygon, std::span<const int>(&count, 1), Qt::black);

        QImage theirs(picture_size, QImage::Format_RGB32);
        theirs.fill(Qt::white);
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        path.addPolygon(QPolygonF(QList<QPointF>(polygon.begin(), polygon.end())));
        path.closeSubpath();
        {
            QPainter painter(&theirs);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.fillPath(path, Qt::black);
        }
        for (int y = 0; y < picture_size.height(); ++y) {
            for (int x = 0; x < picture_size.width(); ++x) {
                const bool mine = ours.image().pixel(x, y) == qRgb(0, 0, 0);
                painted += mine ? 1 : 0;
                differing += mine != (theirs.pixel(x, y) == qRgb(0, 0, 0)) ? 1 : 0;
            }
        }
    }
    EXPECT_GT(painted, 400'000);
    EXPECT_LE(differing * 20'000, painted);
}

// Short and long lines, points, lines running off the picture, two colours and two widths in
// runs, as the previews and the track draw them: the picture must come out as the painter draws
// the same lines one by one.
TEST(ImagePicture, LinesComeOutAsThePainterDrawsThemOneByOne) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> column(-40, 426);
    std::uniform_int_distribution<int> row(-40, 360);
    std::uniform_int_distribution<int> nudge(-5, 5);
    const QColor colours[] = {QColor(0, 0, 255), QColor(255, 0, 0)};
    for (int picture_number = 0; picture_number < 40; ++picture_number) {
        ImagePicture ours(QSize(387, 320));
        QImage theirs(QSize(387, 320), QImage::Format_RGB32);
        theirs.fill(Qt::white);
        QPainter painter(&theirs);
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPoint pen(column(random), row(random));
        ours.move_to(pen);
        for (int i = 0; i < 3000; ++i) {
            if (i % 100 == 0) {
                const QColor colour = colours[(i / 100) % 2];
                const int width = i % 700 == 0 ? 2 : 1;
                ours.set_pen(colour, width);
                painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            }
            const QPoint next = i % 7 == 0 ? QPoint(column(random), row(random))
                                           : pen + QPoint(nudge(random), nudge(random));
            ours.line_to(next);
            painter.drawLine(pen, next);
            pen = next;
        }
        painter.end();
        ASSERT_EQ(ours.image(), theirs) << "picture " << picture_number;
    }
}

}  // namespace
}  // namespace ostrel
