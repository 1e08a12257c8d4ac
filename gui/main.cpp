// The operator's program: port options, then the four windows, then the message loop.
#include "gui/file_view_window.h"
#include "gui/main_window.h"
#include "gui/screen/wait_painter.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"
#include "gui/window_operator.h"
#include "port/port_options.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace {

const char kUsage[] =
    "usage: ostrel [--port=auto|ppdev|direct|sim] [--sim-ports=3bc,378,278] [--trace FILE]\n"
    "              [--screenshot-dir DIR] [--quit-when-shown]\n";

// The shipped samples previewed and run on the simulated machine, as an operator would: choose
// the file, preview it, press "Рисовать" (at brisk speeds, so the pictures come quickly).
template <typename Save>
void run_sample_jobs(ostrel::MainWindow* main_window, QWidget* file_view_window,
                     QWidget* track_window, Save save) {
    const QDir samples(QStringLiteral("docs/samples"));
    if (!samples.exists()) {
        return;
    }
    auto* tabs = main_window->findChild<QTabWidget*>(QStringLiteral("mainTabs"));
    auto* inner = main_window->findChild<QTabWidget*>(QStringLiteral("filePages"));
    const auto click = [main_window](const char* name) {
        main_window->findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
    };
    const auto type = [main_window](const char* name, const char* text) {
        main_window->findChild<QLineEdit*>(QString::fromLatin1(name))
            ->setText(QString::fromUtf8(text));
    };
    tabs->setCurrentIndex(1);
    main_window->findChild<QComboBox*>(QStringLiteral("jobKindCombo"))->setCurrentIndex(0);
    type("speedXyEdit", "40");
    type("speedXyRapidEdit", "40");
    type("speedZUpEdit", "20");
    type("speedZDownEdit", "20");

    inner->setCurrentIndex(0);
    main_window->choose_job_file(samples.filePath(QStringLiteral("ostrel.dxf")));
    main_window->findChild<QCheckBox*>(QStringLiteral("autoZoomCheck"))->setChecked(true);
    save(file_view_window, QStringLiteral("job-dxf-preview"));
    click("drawButton");
    save(track_window, QStringLiteral("job-dxf-track"));
    save(main_window, QStringLiteral("job-dxf-done"));

    inner->setCurrentIndex(1);
    main_window->choose_job_file(samples.filePath(QStringLiteral("board.gbr")));
    save(main_window, QStringLiteral("job-gerber-apertures"));
    click("gerberPreviewButton");
    save(file_view_window, QStringLiteral("job-gerber-preview"));
    click("drawButton");
    save(track_window, QStringLiteral("job-gerber-track"));
}

// For the documentation: every tab and window as a PNG, taken once the splash has gone.
void take_screenshots(const QString& dir, ostrel::MainWindow* main_window, QWidget* stop_dialog,
                      QWidget* file_view_window, QWidget* track_window) {
    QDir().mkpath(dir);
    const auto save = [dir](QWidget* widget, const QString& name) {
        widget->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
    };
    QTimer::singleShot(500, main_window, [=] { save(main_window, QStringLiteral("splash")); });
    QTimer::singleShot(ostrel::MainWindow::kSplashMs + 500, main_window, [=] {
        auto* tabs = main_window->findChild<QTabWidget*>(QStringLiteral("mainTabs"));
        auto* inner = main_window->findChild<QTabWidget*>(QStringLiteral("filePages"));
        const char* names[] = {"manual", "program", "settings", "about"};
        for (int i = 0; i < tabs->count() && i < 4; ++i) {
            tabs->setCurrentIndex(i);
            if (i != 1) {
                save(main_window, QString::fromLatin1(names[i]));
                continue;
            }
            for (int j = 0; j < inner->count(); ++j) {
                inner->setCurrentIndex(j);
                save(main_window,
                     j == 0 ? QStringLiteral("program-dxf") : QStringLiteral("program-gerber"));
            }
            // The drilling kind shows the hole-depth row and the other job button.
            auto* programs = main_window->findChild<QComboBox*>(QStringLiteral("jobKindCombo"));
            programs->setCurrentIndex(1);
            save(main_window, QStringLiteral("program-drill"));
            programs->setCurrentIndex(0);
            save(main_window, QStringLiteral("program-draw"));
        }
        for (QWidget* window : {stop_dialog, file_view_window, track_window}) {
            window->show();
        }
        QTimer::singleShot(300, main_window, [=] {
            save(stop_dialog, QStringLiteral("stop_dialog"));
            save(file_view_window, QStringLiteral("file_view_window"));
            save(track_window, QStringLiteral("track_window"));
            stop_dialog->hide();
            run_sample_jobs(main_window, file_view_window, track_window, save);
            QApplication::quit();
        });
    });
}

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
    QString screenshot_dir;
    bool quit_when_shown = false;  // for timing the start-up: ends once the window is on screen
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--screenshot-dir") && i + 1 < arguments.size()) {
            screenshot_dir = arguments[++i];
        } else if (arguments[i].startsWith(QStringLiteral("--screenshot-dir="))) {
            screenshot_dir = arguments[i].section(u'=', 1);
        } else if (arguments[i] == QStringLiteral("--quit-when-shown")) {
            quit_when_shown = true;
        } else if (arguments[i] == QStringLiteral("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "ostrel: unknown argument %s\n%s", qPrintable(arguments[i]),
                         kUsage);
            return 2;
        }
    }

    ostrel::prefer_socket_repaints();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral("7"));

    ostrel::QtDesktop desktop;
    ostrel::MonotonicClock clock;
    ostrel::MainWindow main_window(
        desktop,
        [&port_options] {
            QString trace_error;
            auto backend = ostrel::make_port_backend(*port_options, &trace_error);
            if (!backend && !trace_error.isEmpty()) {
                std::fprintf(stderr, "ostrel: %s\n", qPrintable(trace_error));
            }
            return backend;
        },
        clock);
    ostrel::StopDialog stop_dialog;
    ostrel::FileViewWindow file_view_window;
    ostrel::TrackWindow track_window(main_window.track_picture());
    main_window.attach_windows(stop_dialog, file_view_window, track_window);

    main_window.show();
    if (!screenshot_dir.isEmpty()) {
        take_screenshots(screenshot_dir, &main_window, &stop_dialog, &file_view_window,
                         &track_window);
    }
    QTimer exposed;
    if (quit_when_shown) {
        QObject::connect(&exposed, &QTimer::timeout, [&main_window] {
            if (main_window.windowHandle() != nullptr && main_window.windowHandle()->isExposed()) {
                QApplication::quit();
            }
        });
        exposed.start(1);
    }
    return QApplication::exec();
}
