// gerbv as the reference picture of a board file, and the comparison of copper pixels.
#include "tests/gerber/board_reference.h"

#include "core/picture.h"
#include "gerber/board_picture.h"

#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace ostrel::testing {

BoardWindow window_around(const BoxMm& box, int longest) {
    BoardWindow window;
    const double margin = 1;  // mm
    const double w = box.empty ? 10 : box.max_x - box.min_x + 2 * margin;
    const double h = box.empty ? 10 : box.max_y - box.min_y + 2 * margin;
    window.dpi = std::max(10, static_cast<int>(longest / (std::max(w, h) / 25.4)));
    window.left_in = box.empty ? 0 : (box.min_x - margin) / 25.4;
    window.bottom_in = box.empty ? 0 : (box.min_y - margin) / 25.4;
    window.width = static_cast<int>(std::ceil(w / 25.4 * window.dpi));
    window.height = static_cast<int>(std::ceil(h / 25.4 * window.dpi));
    return window;
}

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
    process.start(gerbv, {QStringLiteral("--export=png"), QStringLiteral("--output=") + out,
                          QStringLiteral("--border=0"), QStringLiteral("--dpi=%1").arg(window.dpi),
                          QStringLiteral("--origin=%1;%2")
                              .arg(window.left_in, 0, 'f', 6)
                              .arg(window.bottom_in, 0, 'f', 6),
                          QStringLiteral("--window=%1x%2").arg(window.width).arg(window.height),
                          QStringLiteral("--background=#FFFFFF"),
                          QStringLiteral("--foreground=#000000"), path});
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

double copper_agreement(const QImage& reference, const QImage& board) {
    long long both = 0, either = 0;
    const int w = std::min(reference.width(), board.width());
    const int h = std::min(reference.height(), board.height());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool a = qGray(reference.pixel(x, y)) < 128;
            const bool b = board.pixel(x, y) != qRgb(255, 255, 255);
            both += a && b;
            either += a || b;
        }
    }
    return either == 0 ? 1.0 : static_cast<double>(both) / static_cast<double>(either);
}

}  // namespace ostrel::testing
