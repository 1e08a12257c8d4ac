// The window-test fixture and its recording desktop.
#include "tests/gui/window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace ostrel::testing {

void RecordingDesktop::message_box(QWidget*, const QString& caption, const QString& text,
                                   QMessageBox::Icon icon) {
    boxes.push_back({caption, text, icon});
}

bool RecordingDesktop::question_box(QWidget*, const QString& caption, const QString& text,
                                    QMessageBox::Icon icon) {
    boxes.push_back({caption, text, icon, true});
    if (during_question) {
        during_question();
    }
    if (question_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool answer = question_answers.front();
    question_answers.pop_front();
    return answer;
}

QString RecordingDesktop::open_file_name(QWidget*, const QString&, const QString&, const QString&) {
    if (open_answers.empty()) {
        ADD_FAILURE() << "unexpected file-open dialog";
        return {};
    }
    QString answer = open_answers.front();
    open_answers.pop_front();
    return answer;
}

QString RecordingDesktop::save_file_name(QWidget*, const QString&, const QString&,
                                         const QString& default_suffix, const QString& kept_file) {
    save_requests.push_back({default_suffix, kept_file});
    if (save_answers.empty()) {
        ADD_FAILURE() << "unexpected file-save dialog";
        return {};
    }
    QString answer = save_answers.front();
    save_answers.pop_front();
    return answer;
}

void MainWindowTest::SetUp() {
    previous_dir = QDir::currentPath();
    // The program reads cfg.ini from its working folder.
    ASSERT_TRUE(QDir::setCurrent(scratch.path()));
}

void MainWindowTest::TearDown() {
    form.reset();
    QDir::setCurrent(previous_dir);
}

void AttachedWindowsTest::SetUp() {
    MainWindowTest::SetUp();
    create();
    track_window = std::make_unique<TrackWindow>(form->track_picture());
    form->attach_windows(stop_dialog, file_view_window, *track_window);
    pass_splash();
}

void MainWindowTest::create(std::unique_ptr<PortBackend> backend) {
    if (with_cfg_ini) {
        // The settings file as the repository ships it.
        scratch.write(QStringLiteral("cfg.ini"),
                      "[machine]\n"
                      "mm_per_step_x=0.0025\nmm_per_step_y=0.0025\nmm_per_step_z=0.0025\n"
                      "travel_limit_x=100\ntravel_limit_y=100\ntravel_limit_z=100\n"
                      "backlash_x=0\nbacklash_y=0\nbacklash_z=0\n");
    }
    if (!backend) {
        auto simulated = std::make_unique<SimBackend>();
        simulated->keep_write_log(true);
        sim = simulated.get();
        backend = std::move(simulated);
    }
    auto shared = std::make_shared<std::unique_ptr<PortBackend>>(std::move(backend));
    form = std::make_unique<MainWindow>(
        desktop, [shared] { return std::move(*shared); }, clock);
}

void MainWindowTest::create_sim(bool port_3bc, bool port_378, bool port_278) {
    auto simulated = std::make_unique<SimBackend>(port_3bc, port_378, port_278);
    simulated->keep_write_log(true);
    sim = simulated.get();
    create(std::move(simulated));
}

void MachineWindowTest::SetUp() {
    AttachedWindowsTest::SetUp();
    // The track window pops up at the first move; the keyboard stays with the main window.
    track_window->show();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    sim->machine(PORT_3BC).clear_counts();  // "$3BC" is listed first and chosen
    sim->clear_write_log();
}

QWidget* MachineWindowTest::show_manual_tab() {
    control<QTabWidget>("mainTabs")->setCurrentIndex(0);
    control<QToolButton>("jogYPlusButton")->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), control<QToolButton>("jogYPlusButton"));
    return QApplication::focusWidget();
}

void MachineWindowTest::press(QWidget* target, int key, bool auto_repeat, std::uint64_t time_ms) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString(), auto_repeat);
    event.setTimestamp(time_ms);
    QApplication::sendEvent(target, &event);
}

void MachineWindowTest::release(QWidget* target, int key, bool auto_repeat, std::uint64_t time_ms) {
    QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier, QString(), auto_repeat);
    event.setTimestamp(time_ms);
    QApplication::sendEvent(target, &event);
}

bool MachineWindowTest::box_shown_with(const QString& text) const {
    for (const auto& box : desktop.boxes) {
        if (box.text == text) {
            return true;
        }
    }
    return false;
}

void MachineWindowTest::on_messages(int n, std::function<void()> action) {
    step_timer_ = std::make_unique<QTimer>();
    auto ticks = std::make_shared<int>(0);
    QObject::connect(step_timer_.get(), &QTimer::timeout,
                     [this, ticks, n, action = std::move(action)] {
                         if (++*ticks != n) {
                             return;
                         }
                         step_timer_->stop();
                         action();
                     });
    step_timer_->start(0);
}

}  // namespace ostrel::testing
