// The main window on the simulated port in a scratch working folder, with a desktop that records.
#pragma once

#include "gui/file_view_window.h"
#include "gui/main_window.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"
#include "gui/window_operator.h"
#include "port/sim_backend.h"
#include "tests/support/fake_clock.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace ostrel::testing {

struct ShownBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    bool question = false;  // "ДА" and "НЕТ", not OK
};

// What a save dialog was asked to do besides its caption and filter.
struct SaveRequest {
    QString default_suffix;
    QString kept_file;
};

// Message boxes are recorded and closed at once, questions answered from a queue ("НЕТ" and a
// failure when it is empty); file dialogs answer from queues.
class RecordingDesktop final : public Desktop {
public:
    void message_box(QWidget* parent, const QString& caption, const QString& text,
                     QMessageBox::Icon icon) override;
    bool question_box(QWidget* parent, const QString& caption, const QString& text,
                      QMessageBox::Icon icon) override;
    QString open_file_name(QWidget* parent, const QString& caption, const QString& filter,
                           const QString& folder) override;
    QString save_file_name(QWidget* parent, const QString& caption, const QString& filter,
                           const QString& default_suffix, const QString& kept_file) override;
    void open_url(const QUrl& url) override { urls.push_back(url); }
    void end_program(int exit_status) override { end_requests.push_back(exit_status); }

    std::vector<ShownBox> boxes;
    std::deque<bool> question_answers;
    // Run while a question is open, before it is answered (a test may click something there).
    std::function<void()> during_question;
    std::deque<QString> open_answers;
    std::vector<SaveRequest> save_requests;
    std::deque<QString> save_answers;
    std::vector<QUrl> urls;
    std::vector<int> end_requests;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window; by default on a simulated machine with all three ports and a cfg.ini.
    void create(std::unique_ptr<PortBackend> backend = nullptr);
    void create_sim(bool port_3bc, bool port_378, bool port_278);
    // Seven seconds later: the splash is gone and the controls can be reached.
    void pass_splash() { form->hide_splash(); }

    template <typename T>
    T* control(const char* name) const {
        T* found = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    TempFolder scratch;  // the working folder
    QString previous_dir;
    bool with_cfg_ini = true;
    RecordingDesktop desktop;
    FakeClock clock;            // step waits cost no time
    SimBackend* sim = nullptr;  // owned by the window's port connection
    std::unique_ptr<MainWindow> form;
};

// The main window with the other three windows attached, past its splash, as the program starts;
// not shown yet.
class AttachedWindowsTest : public MainWindowTest {
protected:
    void SetUp() override;

    StopDialog stop_dialog;
    FileViewWindow file_view_window;
    std::unique_ptr<TrackWindow> track_window;
};

// The windows shown and driving the simulated machine behind "$3BC", its counts cleared.
class MachineWindowTest : public AttachedWindowsTest {
protected:
    void SetUp() override;

    const StepDecoder& motors() const { return sim->machine(PORT_3BC); }
    // The manual tab shown, the focus on a jog button; returns the focus widget.
    QWidget* show_manual_tab();
    void press(QWidget* target, int key, bool auto_repeat = false, std::uint64_t time_ms = 0);
    void release(QWidget* target, int key, bool auto_repeat = false, std::uint64_t time_ms = 0);
    bool box_shown_with(const QString& text) const;
    // Runs action once, the n-th time the window lets its messages through from now on (a move
    // does so before a step, at most once a millisecond of the engine's clock).
    void on_messages(int n, std::function<void()> action);

private:
    std::unique_ptr<QTimer> step_timer_;
};

}  // namespace ostrel::testing
