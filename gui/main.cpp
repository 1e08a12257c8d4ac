// The operator's program: port options, then Form1, F_stop, Form2 and Form3, then the message loop.
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
void run_sample_jobs(ostrel::TForm1* form1, QWidget* form2, QWidget* form3, Save save) {
    const QDir samples(QStringLiteral("docs/samples"));
    if (!samples.exists()) {
        return;
    }
    auto* tabs = form1->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    auto* inner = form1->findChild<QTabWidget*>(QStringLiteral("PageControl2"));
    const auto click = [form1](const char* name) {
        form1->findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
    };
    const auto type = [form1](const char* name, const char* text) {
        form1->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QString::fromUtf8(text));
    };
    tabs->setCurrentIndex(1);
    form1->findChild<QComboBox*>(QStringLiteral("Programs"))->setCurrentIndex(0);
    type("e_sped", "40");
    type("e_sped2", "40");
    type("e_sped_up", "20");
    type("e_sped_dow", "20");

    inner->setCurrentIndex(0);
    form1->choose_job_file(samples.filePath(QStringLiteral("ostrel.dxf")));
    form1->findChild<QCheckBox*>(QStringLiteral("C_autozoom"))->setChecked(true);
    save(form2, QStringLiteral("job-dxf-preview"));
    click("B_risov");
    save(form3, QStringLiteral("job-dxf-track"));
    save(form1, QStringLiteral("job-dxf-done"));

    inner->setCurrentIndex(1);
    form1->choose_job_file(samples.filePath(QStringLiteral("board.gbr")));
    save(form1, QStringLiteral("job-gerber-apertures"));
    click("Button10");
    save(form2, QStringLiteral("job-gerber-preview"));
    click("B_risov");
    save(form3, QStringLiteral("job-gerber-track"));
}

// For the documentation: every tab and window as a PNG, taken once the splash has gone.
void take_screenshots(const QString& dir, ostrel::TForm1* form1, QWidget* f_stop, QWidget* form2,
                      QWidget* form3) {
    QDir().mkpath(dir);
    const auto save = [dir](QWidget* widget, const QString& name) {
        widget->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
    };
    QTimer::singleShot(500, form1, [=] { save(form1, QStringLiteral("splash")); });
    QTimer::singleShot(ostrel::TForm1::kSplashMs + 500, form1, [=] {
        auto* tabs = form1->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        auto* inner = form1->findChild<QTabWidget*>(QStringLiteral("PageControl2"));
        const char* names[] = {"manual", "program", "settings", "about"};
        for (int i = 0; i < tabs->count() && i < 4; ++i) {
            tabs->setCurrentIndex(i);
            if (i != 1) {
                save(form1, QString::fromLatin1(names[i]));
                continue;
            }
            for (int j = 0; j < inner->count(); ++j) {
                inner->setCurrentIndex(j);
                save(form1,
                     j == 0 ? QStringLiteral("program-dxf") : QStringLiteral("program-gerber"));
            }
            // The drilling kind shows the hole-depth row and the other job button.
            auto* programs = form1->findChild<QComboBox*>(QStringLiteral("Programs"));
            programs->setCurrentIndex(1);
            save(form1, QStringLiteral("program-drill"));
            programs->setCurrentIndex(0);
            save(form1, QStringLiteral("program-draw"));
        }
        for (QWidget* window : {f_stop, form2, form3}) {
            window->show();
        }
        QTimer::singleShot(300, form1, [=] {
            save(f_stop, QStringLiteral("f_stop"));
            save(form2, QStringLiteral("form2"));
            save(form3, QStringLiteral("form3"));
            f_stop->hide();
            run_sample_jobs(form1, form2, form3, save);
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
    ostrel::TForm1 form1(
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
    ostrel::TF_stop f_stop;
    ostrel::TForm2 form2;
    ostrel::TForm3 form3(form1.track_picture());
    form1.attach_windows(f_stop, form2, form3);

    form1.show();
    if (!screenshot_dir.isEmpty()) {
        take_screenshots(screenshot_dir, &form1, &f_stop, &form2, &form3);
    }
    QTimer exposed;
    if (quit_when_shown) {
        QObject::connect(&exposed, &QTimer::timeout, [&form1] {
            if (form1.windowHandle() != nullptr && form1.windowHandle()->isExposed()) {
                QApplication::quit();
            }
        });
        exposed.start(1);
    }
    return QApplication::exec();
}
