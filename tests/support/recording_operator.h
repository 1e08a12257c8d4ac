// An operator and a panel for tests: messages and displays recorded, control texts set by the test.
#pragma once

#include "core/operator.h"

#include <QString>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace ostrel::testing {

struct RecordedMessage {
    MessageKind kind;
    QString text;
};

class RecordingOperator final : public Operator {
public:
    void show_message(MessageKind kind, const QString& text) override;
    void focus_field(Field field) override { focused.push_back(field); }
    void process_messages() override;
    void set_gauge(int percent) override { gauge.push_back(percent); }
    void during_wait(double seconds) override { offered_waits.push_back(seconds); }
    void show_position(double x, double y, double z) override;
    void show_position_texts(const QString& x, const QString& y, const QString& z) override;
    void show_track_window() override { ++track_window_shown; }
    bool ask_continue() override {
        ++questions;
        if (while_asking) {
            while_asking();
        }
        return continue_answer;
    }
    // Recorded among the messages (on_message runs), then answered with yes_no_answer.
    bool ask_yes_no(MessageKind kind, const QString& text) override;

    // Texts of the messages shown, in order.
    std::vector<QString> message_texts() const;

    std::vector<RecordedMessage> messages;
    std::vector<Field> focused;
    std::vector<int> gauge;
    std::vector<double> offered_waits;  // seconds
    QString display_x = QStringLiteral("0.0");
    QString display_y = QStringLiteral("0.0");
    QString display_z = QStringLiteral("0.0");
    int position_updates = 0;
    int track_window_shown = 0;
    int messages_processed = 0;
    int questions = 0;
    bool continue_answer = true;
    bool yes_no_answer = true;
    // Run while a message box is open (a test may request a stop there, as an operator would).
    std::function<void(const RecordedMessage&)> on_message;
    // Run each time pending messages are let through (a test may click something there).
    std::function<void()> on_process_messages;
    // Run while "Продолжить?" is open, before it is answered.
    std::function<void()> while_asking;
};

class FakePanel final : public Panel {
public:
    FakePanel();
    QString field_text(Field field) const override;
    int jog_speed_position() const override { return jog_speed; }
    int jog_distance_position() const override { return jog_distance; }
    bool return_to_origin() const override { return returns_to_origin; }
    int file_page() const override { return page; }
    int preview_zoom() const override { return zoom; }
    bool auto_zoom() const override { return autozoom; }
    bool idle_moves() const override { return idle_moves_checked; }
    bool standard_mode(int page_index) const override {
        return standard_pages.contains(page_index);
    }
    PlacementOrigin placement_origin() const override { return origin; }
    bool mirror_x() const override { return mirrored; }
    QString dxf_unit() const override { return unit; }
    bool circles_as_holes() const override { return circle_holes; }
    void keep_offset(const QString& x, const QString& y) override {
        texts[Field::OffsetX] = x;
        texts[Field::OffsetY] = y;
        origin = PlacementOrigin::File;
    }

    std::map<Field, QString> texts;
    int jog_speed = 10;
    int jog_distance = 1;
    bool returns_to_origin = true;
    int page = 1;
    int zoom = 1;
    bool autozoom = false;
    bool idle_moves_checked = false;
    std::set<int> standard_pages;
    PlacementOrigin origin = PlacementOrigin::File;
    bool mirrored = false;
    QString unit;
    bool circle_holes = true;
};

}  // namespace ostrel::testing
