// gerbv as the reference picture of a board file, and the comparison of copper pixels.
#include "tests/gerber/board_reference.h"

#include "core/picture.h"
#include "gerber/board_picture.h"

#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace ostrel::testing {

std::optional<QImage> reference_picture(const QString& path, const BoardWindow& window,
                                        const QString& work_folder, QString& why) {
    const QString gerbv = QStandardPaths::findExecutable(QStringLiteral("gerbv"));
    if (gerbv.isEmpty()) {
        why = QStringLiteral("gerbv is not installed (Debian package gerbv)");
        return std::nullopt;
    }
    const QString out = work_folder + QStringLiteral("/reference.png");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(gerbv, {QStringLiteral("--export=png"), QStringLiteral("--antialias"),
                          QStringLiteral("--output=") + out, QStringLiteral("--border=0"),
                          QStringLiteral("--dpi=%1").arg(window.dpi),
                          QStringLiteral("--origin=%1;%2")
                              .arg(window.left_in, 0, 'f', 6)
                              .arg(window.bottom_in, 0, 'f', 6),
                          QStringLiteral("--window=%1x%2").arg(window.width).arg(window.height),
                          QStringLiteral("--background=#FFFFFF"),
                          QStringLiteral("--foreground=#000000FF"), path});
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        why = QStringLiteral("gerbv failed: ") + QString::fromLocal8Bit(process.readAll());
        return std::nullopt;
    }
    QImage image(out);
    if (image.isNull()) {
        why = QStringLiteral("gerbv wrote no picture");
        return std::nullopt;
    }
    return image;
}

QImage board_picture(const Board& board, const BoardWindow& window) {
    ImagePicture picture(QSize(window.width, window.height));
    BoardView view;
    view.scale = window.dpi / 25.4;
    view.left = -window.left_in * window.dpi;
    view.top = window.height + window.bottom_in * window.dpi;
    paint_board(board, picture, view);
    return picture.image();
}

CopperCount count_copper(const QImage& reference, const QImage& board) {
    const int w = std::min(reference.width(), board.width());
    const int h = std::min(reference.height(), board.height());
    const QImage a = reference.convertToFormat(QImage::Format_RGB32);
    const QImage b = board.convertToFormat(QImage::Format_RGB32);
    const auto in_a = [&a](int x, int y) {
        return qGray(reinterpret_cast<const QRgb*>(a.constScanLine(y))[x]) < 128;
    };
    const auto in_b = [&b](int x, int y) {
        return (reinterpret_cast<const QRgb*>(b.constScanLine(y))[x] & 0xffffff) != 0xffffff;
    };
    const auto near = [w, h](const auto& in, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx >= 0 && ny >= 0 && nx < w && ny < h && in(nx, ny)) {
                    return true;
                }
            }
        }
        return false;
    };
    CopperCount count;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool pa = in_a(x, y);
            const bool pb = in_b(x, y);
            count.both += pa && pb;
            count.either += pa || pb;
            if (pa != pb && (pa ? near(in_b, x, y) : near(in_a, x, y))) {
                ++count.edge;
            }
        }
    }
    return count;
}

QImage copper_difference(const QImage& reference, const QImage& board) {
    QImage out(board.size(), QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            const bool a = x < reference.width() && y < reference.height() &&
                           qGray(reference.pixel(x, y)) < 128;
            const bool b = board.pixel(x, y) != qRgb(255, 255, 255);
            out.setPixel(x, y,
                         a && b ? qRgb(0, 0, 0)
                         : a    ? qRgb(255, 0, 0)
                         : b    ? qRgb(0, 0, 255)
                                : qRgb(255, 255, 255));
        }
    }
    return out;
}

namespace {

// The narrowest thing the board draws, in mm: the width of a track or pad, a hole.
double narrowest(const Board& board) {
    double least = 1;
    for (const ApertureShape& shape : board.apertures) {
        if (!shape.box.empty) {
            least = std::min(least, std::min(shape.box.max_x - shape.box.min_x,
                                             shape.box.max_y - shape.box.min_y));
        }
    }
    for (const Hole& hole : board.holes) {
        least = std::min(least, hole.diameter);
    }
    return std::max(least, 0.05);
}

}  // namespace

std::optional<CopperCount> compare_with_reference(const QString& path, const Board& board,
                                                  const QString& work_folder, QString& why,
                                                  const QString& keep) {
    constexpr int kTile = 2000;
    constexpr double kMostPixels = 16e6;
    const BoxMm box = board.extents();
    const double margin = 0.5;
    const double w_in = (box.max_x - box.min_x + 2 * margin) / 25.4;
    const double h_in = (box.max_y - box.min_y + 2 * margin) / 25.4;
    // Eight pixels across the narrowest thing, fewer where the board is large.
    double dpi = 8 / (narrowest(board) / 25.4);
    dpi = std::min(dpi, std::sqrt(kMostPixels / (w_in * h_in)));
    const int whole_dpi = std::max(50, static_cast<int>(dpi));
    const int width = static_cast<int>(std::ceil(w_in * whole_dpi));
    const int height = static_cast<int>(std::ceil(h_in * whole_dpi));
    const double left = (box.min_x - margin) / 25.4;
    const double bottom = (box.min_y - margin) / 25.4;
    CopperCount total;
    for (int row = 0; row < height; row += kTile) {
        for (int column = 0; column < width; column += kTile) {
            BoardWindow window;
            window.dpi = whole_dpi;
            window.width = std::min(kTile, width - column);
            window.height = std::min(kTile, height - row);
            window.left_in = left + static_cast<double>(column) / whole_dpi;
            window.bottom_in = bottom + static_cast<double>(row) / whole_dpi;
            const auto reference = reference_picture(path, window, work_folder, why);
            if (!reference) {
                return std::nullopt;
            }
            const QImage ours = board_picture(board, window);
            const CopperCount count = count_copper(*reference, ours);
            total.both += count.both;
            total.either += count.either;
            total.edge += count.edge;
            if (!keep.isEmpty() && row == 0 && column == 0) {
                copper_difference(*reference, ours).save(keep);
            }
        }
    }
    return total;
}

}  // namespace ostrel::testing
