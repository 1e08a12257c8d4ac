// The machine logic's operator and panel over the real main window, and the desktop it runs on.
#pragma once

#include "core/operator.h"
#include "gui/screen/wait_painter.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <array>

class QWidget;

namespace Ui {
class MainWindow;
}

namespace ostrel {

class StopDialog;

// The caption of the program's plain message boxes and of its main window.
QString application_title();

// What the windows ask of the desktop: modal boxes, file choice, links, ending the program.
// Tests put a recording desktop here so that nothing blocks on a modal box or opens a browser.
class Desktop {
public:
    virtual ~Desktop() = default;
    // A modal box with one OK button; returns when it is closed.
    virtual void message_box(QWidget* parent, const QString& caption, const QString& text,
                             QMessageBox::Icon icon) = 0;
    // The chosen file, or an empty string when the operator cancelled.
    virtual QString open_file_name(QWidget* parent, const QString& caption,
                                   const QString& filter) = 0;
    virtual QString save_file_name(QWidget* parent, const QString& caption,
                                   const QString& filter) = 0;
    // Hands the address to the desktop's default handler; the outcome is not looked at.
    virtual void open_url(const QUrl& url) = 0;
    // Ends the program with the exit status once its message loop runs.
    virtual void end_program(int exit_status) = 0;
};

class QtDesktop final : public Desktop {
public:
    void message_box(QWidget* parent, const QString& caption, const QString& text,
                     QMessageBox::Icon icon) override;
    QString open_file_name(QWidget* parent, const QString& caption, const QString& filter) override;
    QString save_file_name(QWidget* parent, const QString& caption, const QString& filter) override;
    void open_url(const QUrl& url) override;
    void end_program(int exit_status) override;
};

// Adapter only: reads and writes controls of MainWindow, keeps no machine state.
class WindowOperator final : public Operator, public Panel {
public:
    // The position displays are repainted at most this often; a move updates them every step.
    static constexpr int kDisplayIntervalMs = 16;
    // While the machine steps the waits draw the displays, and the tick only notices when the
    // stepping has stopped: a rare tick, since every timer event costs a step tens of microseconds.
    static constexpr int kSteppingTickMs = 100;

    WindowOperator(Ui::MainWindow& ui, QWidget& window, Desktop& desktop);

    void show_message(MessageKind kind, const QString& text) override;
    void focus_field(Field field) override;
    void process_messages() override;
    void set_gauge(int percent) override;
    void during_wait(double seconds) override;
    void show_position(double x, double y, double z) override;
    void show_position_texts(const QString& x, const QString& y, const QString& z) override;
    void show_track_window() override;
    bool ask_continue() override;

    QString field_text(Field field) const override;
    // Follows portCombo's text as it changes, so that a step's three writes need not read it.
    std::uint8_t port_id() const override { return port_id_; }
    int jog_speed_position() const override;
    int jog_distance_position() const override;
    bool return_to_origin() const override;
    int file_page() const override;
    int preview_zoom() const override;
    bool auto_zoom() const override;
    bool idle_moves() const override;

    // Brings the latest position and gauge, and every repaint held back during a move, to the
    // screen now, not at the next display tick.
    void flush_position();

    void set_track_window(QWidget* track_window) { track_window_ = track_window; }
    // The windows' repaints during a move go through this; the track view draws in its waits too.
    WaitPainter& wait_painter() { return wait_painter_; }
    void set_stop_dialog(StopDialog* dialog);
    Desktop& desktop() { return desktop_; }

private:
    QWidget* field_widget(Field field) const;
    void push_position();
    void display_changed();
    void display_timer_fired();
    void release_held();

    Ui::MainWindow& ui_;
    QWidget& window_;
    Desktop& desktop_;
    QPointer<QWidget> track_window_;
    QPointer<StopDialog> stop_dialog_;
    // What the displays are to show next: numbers in the display form, or texts as typed.
    std::array<double, 3> position_values_{};
    std::array<QString, 3> position_texts_;
    bool position_typed_ = false;
    int gauge_ = 0;
    std::uint8_t port_id_ = 0x30;
    bool position_pending_ = false;
    // Set by each step wait, cleared by each display tick: a tick without a wait since the last one
    // means the machine stopped stepping, and held repaints go to the screen.
    bool waited_since_tick_ = false;
    QTimer display_timer_;
    WaitPainter wait_painter_;
};

}  // namespace ostrel
