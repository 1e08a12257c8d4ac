// The operator of a run without a window: messages to standard error, the panel from the options.
#pragma once

#include "core/operator.h"
#include "run/run_options.h"

#include <QString>
#include <cstdio>
#include <functional>

namespace ostrel {

class ConsoleOperator final : public Operator, public Panel {
public:
    ConsoleOperator(const RunOptions& options, std::FILE* messages);

    // "message: TEXT" a line.
    void show_message(MessageKind kind, const QString& text) override;
    void focus_field(Field) override {}
    void process_messages() override;
    void set_gauge(int) override {}
    void show_position(double, double, double) override {}
    void show_position_texts(const QString&, const QString&, const QString&) override {}
    void show_track_window() override {}
    // Nobody is there to ask: the job goes on.
    bool ask_continue() override { return true; }
    // The question as a message line, answered "ДА": the travel-limit questions are told and
    // the job runs.
    bool ask_yes_no(MessageKind kind, const QString& text) override;

    QString field_text(Field field) const override;
    int jog_speed_position() const override { return 10; }
    int jog_distance_position() const override { return 1; }
    bool return_to_origin() const override { return options_.return_to_origin; }
    int file_page() const override {
        return options_.page == RunPage::Dxf ? 0 : options_.page == RunPage::Gerber ? 1 : 2;
    }
    int preview_zoom() const override { return options_.zoom; }
    bool auto_zoom() const override { return options_.auto_zoom; }
    bool idle_moves() const override { return options_.idle_moves; }
    bool standard_mode(int) const override { return options_.standard; }
    PlacementOrigin placement_origin() const override { return options_.origin; }
    bool mirror_x() const override { return options_.mirror_x; }
    QString dxf_unit() const override { return options_.dxf_unit; }
    bool circles_as_holes() const override { return options_.circles_as_holes; }

    // The port the run writes to ("$378" etc.), as portCombo would show it.
    void set_port_name(const QString& name);
    std::uint8_t port_id() const override { return port_id_; }
    void know_added_ports(std::vector<AddedPort> added) override;
    // Called between steps, as the window's message loop would run (progress display).
    void set_idle_work(std::function<void()> work) { idle_work_ = std::move(work); }

    int messages_shown() const { return messages_shown_; }
    // Messages that told of an error (an operation abandoned, a file that can't be used).
    int errors_shown() const { return errors_shown_; }

private:
    const RunOptions& options_;
    std::FILE* messages_;
    QString port_name_;
    std::uint8_t port_id_ = 0x30;
    std::function<void()> idle_work_;
    int messages_shown_ = 0;
    int errors_shown_ = 0;
};

}  // namespace ostrel
