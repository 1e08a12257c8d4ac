// The operator's program: port options, then the four windows, then the message loop.
#include "core/clock.h"
#include "gui/program_windows.h"
#include "gui/screen/wait_painter.h"
#include "port/port_options.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QSettings>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <cstdio>

namespace {

const char kUsage[] =
    "usage: ostrel [--port=auto|ppdev|direct|sim] [--sim-ports=3bc,378,278] [--trace FILE]\n"
    "              [--fresh] [--quit-when-shown]\n"
    "  --sim-ports  the simulated machine's ports by base address in hex; addresses other\n"
    "               than the classic three (d010, e000 …) stand for a PCI or PCIe card\n"
    "  --fresh      start without the choices kept from the last start (port, sliders,\n"
    "               folders, last files, reading modes, window places)\n";

}  // namespace

int main(int argc, char* argv[]) {
    // Bad usage is told before any window system is needed.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    QString error;
    const std::optional<ostrel::PortOptions> port_options =
        ostrel::take_port_options(arguments, ostrel::PortKind::Auto, error);
    if (!port_options) {
        std::fprintf(stderr, "ostrel: %s\n%s", qPrintable(error), kUsage);
        return 2;
    }
    bool quit_when_shown = false;  // for timing the start-up: ends once the window is on screen
    bool fresh = false;            // the choices kept from the last start are not restored
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("--quit-when-shown")) {
            quit_when_shown = true;
        } else if (argument == QStringLiteral("--fresh")) {
            fresh = true;
        } else if (argument == QStringLiteral("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "ostrel: unknown argument %s\n%s", qPrintable(argument), kUsage);
            return 2;
        }
    }

    ostrel::prefer_socket_repaints();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral("7"));
    const std::unique_ptr<QTranslator> qt_texts = ostrel::install_qt_translations();
    if (!qt_texts) {
        std::fprintf(stderr, "ostrel: Qt's Russian translations are not in %s\n",
                     qPrintable(QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    }

    ostrel::QtDesktop desktop;
    ostrel::MonotonicClock clock;
    ostrel::ProgramWindows windows(desktop, ostrel::port_backend_factory(*port_options), clock);
    // In the user's configuration folder (~/.config/ostrel/choices.ini), kept at every close.
    QSettings kept(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ostrel"),
                   QStringLiteral("choices"));
    if (!fresh) {
        windows.main.restore_choices(kept);
    }
    windows.main.keep_choices_in(&kept);
    windows.main.show();
    QTimer exposed;
    if (quit_when_shown) {
        QObject::connect(&exposed, &QTimer::timeout, [&windows] {
            const QWindow* handle = windows.main.windowHandle();
            if (handle != nullptr && handle->isExposed()) {
                QApplication::quit();
            }
        });
        exposed.start(1);
    }
    return QApplication::exec();
}
