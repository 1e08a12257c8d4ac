// Screenshots of the operator's program for the documentation: every tab and window, then the
// shipped samples previewed and run, on the simulated machine under whatever display it is given.
#include "core/clock.h"
#include "gui/program_windows.h"
#include "gui/screen/wait_painter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

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

// Answers the modal boxes a job opens with "ДА" (the drill questions, the limit question), and
// grabs the first one of each run as name.
class BoxAnswerer {
public:
    template <typename Save>
    BoxAnswerer(QWidget* parent, Save save, const QString& name) {
        timer_.setInterval(100);
        QObject::connect(&timer_, &QTimer::timeout, parent, [this, save, name] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            if (!grabbed_) {
                save(box, name);
                grabbed_ = true;
            }
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttons().size() == 1 || button->text() == QStringLiteral("ДА")) {
                    button->click();
                    return;
                }
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
    bool grabbed_ = false;
};

// Files of other programs, read at their true size, where the shared test files are at hand: a
// KiCad board's bottom copper and its drill file placed alike, an EAGLE copper plot, and a
// LibreCAD drawing.
template <typename Save>
void run_standard_jobs(ostrel::MainWindow* main_window, QWidget* file_view_window,
                       QWidget* track_window, Save save) {
    const QDir data(QStringLiteral("../shared/testdata"));
    if (!data.exists()) {
        std::fputs("no ../shared/testdata: the true-size screenshots are left out\n", stderr);
        return;
    }
    auto* inner = main_window->findChild<QTabWidget*>(QStringLiteral("filePages"));
    auto* kind = main_window->findChild<QComboBox*>(QStringLiteral("jobKindCombo"));
    auto* origin = main_window->findChild<QComboBox*>(QStringLiteral("placementOriginCombo"));
    const auto check = [main_window](const char* name, bool on) {
        main_window->findChild<QCheckBox*>(QString::fromLatin1(name))->setChecked(on);
    };
    const auto click = [main_window](const char* name) {
        main_window->findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
    };
    // The preview and the job of the file chosen, each grabbed as name-preview, name-question
    // (the first box the job opens) and name-track.
    const auto preview_and_run = [&](const char* preview, const char* job, const QString& name) {
        click(preview);
        save(file_view_window, name + QStringLiteral("-preview"));
        {
            BoxAnswerer answers(main_window, save, name + QStringLiteral("-question"));
            click(job);
        }
        save(track_window, name + QStringLiteral("-track"));
    };

    inner->setCurrentIndex(1);
    check("gerberStandardCheck", true);
    check("mirrorXCheck", true);
    origin->setCurrentIndex(1);  // the board's corner where the tool stands
    main_window->choose_job_file(
        data.filePath(QStringLiteral("gerber/kicad6_project-controller-B_Cu.gbr")));
    save(main_window, QStringLiteral("standard-kicad-copper"));
    preview_and_run("gerberPreviewButton", "drawButton", QStringLiteral("standard-kicad-copper"));
    save(main_window, QStringLiteral("standard-kicad-offset-kept"));

    // The job kind fills in its own speeds: made brisk again after each change.
    const auto brisk_kind = [main_window, kind](int index) {
        kind->setCurrentIndex(index);
        for (const char* edit :
             {"speedXyEdit", "speedXyRapidEdit", "speedZUpEdit", "speedZDownEdit"}) {
            main_window->findChild<QLineEdit*>(QString::fromLatin1(edit))
                ->setText(QStringLiteral("40"));
        }
    };
    brisk_kind(1);
    main_window->choose_job_file(
        data.filePath(QStringLiteral("drill/kicad6_project-controller.drl")));
    preview_and_run("gerberPreviewButton", "drillButton", QStringLiteral("standard-kicad-drill"));

    brisk_kind(0);
    check("mirrorXCheck", false);
    origin->setCurrentIndex(1);
    main_window->choose_job_file(data.filePath(QStringLiteral("gerber/eagle_top-cop.gbx")));
    preview_and_run("gerberPreviewButton", "drawButton", QStringLiteral("standard-eagle"));

    inner->setCurrentIndex(0);
    check("dxfStandardCheck", true);
    origin->setCurrentIndex(1);
    main_window->choose_job_file(
        data.filePath(QStringLiteral("dxf/librecad-dxfrw0510_igbt-npn_unpadded_points.dxf")));
    save(main_window, QStringLiteral("standard-librecad"));
    preview_and_run("dxfPreviewButton", "drawButton", QStringLiteral("standard-librecad"));

    // A pcb2gcode program on the G-code page, from the file's origin. Its feeds are the
    // program's own: a short one by default, another (the EasyEDA board's milling, half an hour
    // of machine time) when OSTREL_SCREENSHOT_GCODE names it.
    inner->setCurrentIndex(2);
    origin->setCurrentIndex(0);
    check("mirrorXCheck", false);
    for (const char* edit : {"offsetXEdit", "offsetYEdit"}) {
        main_window->findChild<QLineEdit*>(QString::fromLatin1(edit))->setText(QStringLiteral("0"));
    }
    const QString gcode = qEnvironmentVariable("OSTREL_SCREENSHOT_GCODE");
    main_window->choose_job_file(
        gcode.isEmpty() ? data.filePath(QStringLiteral("gcode/pcb2gcode_milldrill-units_drill.ngc"))
                        : gcode);
    preview_and_run("gcodePreviewButton", "drawButton", QStringLiteral("gcode"));
    save(main_window, QStringLiteral("gcode-page"));
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
                const char* pages[] = {"program-dxf", "program-gerber", "program-gcode"};
                save(main_window, QString::fromLatin1(pages[std::min(j, 2)]));
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
            save(stop_dialog, QStringLiteral("stop-dialog"));
            save(file_view_window, QStringLiteral("file-view"));
            save(track_window, QStringLiteral("track"));
            stop_dialog->hide();
            run_sample_jobs(main_window, file_view_window, track_window, save);
            run_standard_jobs(main_window, file_view_window, track_window, save);
            QApplication::quit();
        });
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: ostrel-screenshots DIR   (run from the folder that holds cfg.ini)\n",
                   stderr);
        return 2;
    }
    ostrel::prefer_socket_repaints();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral("7"));

    ostrel::QtDesktop desktop;
    ostrel::MonotonicClock clock;
    ostrel::PortOptions port;
    port.kind = ostrel::PortKind::Sim;
    ostrel::ProgramWindows windows(desktop, ostrel::port_backend_factory(port), clock);
    windows.main.show();
    take_screenshots(QString::fromLocal8Bit(argv[1]), &windows.main, &windows.stop,
                     &windows.file_view, &windows.track);
    return QApplication::exec();
}
