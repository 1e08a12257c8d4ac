// The machine logic's operator and panel over the real main window.
#pragma once

#include "core/clock.h"
#include "core/operator.h"
#include "gui/desktop.h"
#include "gui/screen/position_displays.h"
#include "gui/screen/wait_painter.h"

#include <QPointer>
#include <QString>

class QWidget;

namespace Ui {
class MainWindow;
}

namespace ostrel {

class StopDialog;

// Adapter only: reads and writes controls of MainWindow, keeps no machine state.
class WindowOperator final : public Operator, public Panel {
public:
    // clock: the engine's, which times how often a move lets messages through.
    WindowOperator(Ui::MainWindow& ui, QWidget& window, Desktop& desktop, Clock& clock);

    void show_message(MessageKind kind, const QString& text) override;
    void focus_field(Field field) override;
    void process_messages() override;
    void set_gauge(int percent) override;
    void during_wait(double seconds) override;
    void show_position(double x, double y, double z) override;
    void show_position_texts(const QString& x, const QString& y, const QString& z) override;
    void show_track_window() override;
    bool ask_continue() override;
    bool ask_yes_no(MessageKind kind, const QString& text) override;

    QString field_text(Field field) const override;
    // Follows portCombo's text as it changes, so that a step's three writes need not read it.
    std::uint8_t port_id() const override { return port_id_; }
    void know_added_ports(std::vector<AddedPort> added) override;
    int jog_speed_position() const override;
    int jog_distance_position() const override;
    bool return_to_origin() const override;
    int file_page() const override;
    int preview_zoom() const override;
    bool auto_zoom() const override;
    bool idle_moves() const override;
    bool standard_mode(int page) const override;
    PlacementOrigin placement_origin() const override;
    bool mirror_x() const override;
    QString dxf_unit() const override;
    bool circles_as_holes() const override;
    void keep_offset(const QString& x, const QString& y) override;

    // Sets dxfUnitCombo to a unit named as dxf_unit() gives it; an unknown name to the file's.
    void show_dxf_unit(const QString& name);

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

    Ui::MainWindow& ui_;
    QWidget& window_;
    Desktop& desktop_;
    Clock& clock_;
    // When messages were last let through, in the clock's counts.
    std::int64_t last_message_pass_ = INT64_MIN / 2;
    QPointer<QWidget> track_window_;
    QPointer<StopDialog> stop_dialog_;
    std::uint8_t port_id_ = 0x30;
    WaitPainter wait_painter_;
    PositionDisplays displays_;
};

}  // namespace ostrel
