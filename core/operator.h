// What the machine logic asks of the person at the machine and of the window they work in.
#pragma once

#include "core/placement.h"
#include "port/port_backend.h"

#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

namespace ostrel {

enum class MessageKind {
    Plain,  // an information box with the application title as caption
    Error,  // an operation abandoned, or a fault
    // "Выход за пределы, продолжить?": the tool has left the travel area, once a move or job
    LimitWarning,
    // A job whose path leaves the travel area, asked before it starts
    JobBeyondLimits,
};

// Controls whose text the logic reads at the moment of use, or gives the focus to.
enum class Field {
    SpeedXy,
    SpeedXyRapid,
    ZTravel,
    SpeedZUp,
    SpeedZDown,
    DrillDepth,
    DxfFile,
    GerberFile,
    MarkerDiameter,
    GoToX,
    GoToY,
    GoToZ,
    NewPositionX,
    NewPositionY,
    NewPositionZ,
    Port,
    // The placement of a true-size drawing: the offset of the file's origin, mm.
    OffsetX,
    OffsetY,
    // The G-code page's program.
    GcodeFile,
};

class Operator {
public:
    virtual ~Operator() = default;

    // A modal box with one OK button; returns when the operator has closed it.
    virtual void show_message(MessageKind kind, const QString& text) = 0;
    virtual void focus_field(Field field) = 0;
    // Lets the window handle what is pending (input, timers, repaints), then returns.
    virtual void process_messages() = 0;
    virtual void set_gauge(int percent) = 0;
    // A step's busy-wait of this many seconds begins. An operator may do short work of its own in
    // it (drawing the screen), and must be done well before the wait is over: the step waits
    // only for what is left.
    virtual void during_wait([[maybe_unused]] double seconds) {}
    // The position displays, in the fixed-point display form. Called after every motor step: an
    // operator formats the numbers only when it really draws them.
    virtual void show_position(double x, double y, double z) = 0;
    // The position displays showing exactly these texts (coordinates as the operator typed them).
    virtual void show_position_texts(const QString& x, const QString& y, const QString& z) = 0;
    // Makes the track window visible (it reappears after the operator has closed it).
    virtual void show_track_window() = 0;
    // Asks "Продолжить?" and lets messages through until answered; true only for "ДА".
    virtual bool ask_continue() = 0;
    // A modal question with the buttons "ДА" and "НЕТ"; true only for "ДА" (closing it is "НЕТ").
    virtual bool ask_yes_no(MessageKind kind, const QString& text) = 0;
};

// The window's controls as the logic reads them when it needs them.
// An operator nobody watches: dry runs, estimates and benchmarks.
class SilentOperator : public Operator {
public:
    void show_message(MessageKind, const QString&) override {}
    void focus_field(Field) override {}
    void process_messages() override {}
    void set_gauge(int) override {}
    void show_position(double, double, double) override {}
    void show_position_texts(const QString&, const QString&, const QString&) override {}
    void show_track_window() override {}
    bool ask_continue() override { return true; }
    bool ask_yes_no(MessageKind, const QString&) override { return true; }
};

class Panel {
public:
    virtual ~Panel() = default;
    virtual QString field_text(Field field) const = 0;
    virtual int jog_speed_position() const = 0;     // jogSpeedSlider, 1..20
    virtual int jog_distance_position() const = 0;  // jogDistanceSlider, 1..12
    virtual bool return_to_origin() const = 0;      // returnToOriginCheck
    // The identifier of the port portCombo shows: "$3BC" 0x10, "$378" 0x20, an added port's name
    // its identifier, anything else 0x30. Asked at every port write; a panel may keep it as the
    // box's text changes.
    virtual std::uint8_t port_id() const;
    // The ports beyond the classic three, told when the port opens, so that port_id() knows
    // their names.
    virtual void know_added_ports(std::vector<AddedPort> added) { added_ports_ = std::move(added); }
    // Job-file page of filePages: 0 "AutoCAD DXF", 1 "Gerber RS274-GBR", 2 "G-code".
    virtual int file_page() const { return 1; }
    // DXF preview settings: zoomSpin's value (0 when its text is not a whole number), "Auto",
    // "холстые перем.".
    virtual int preview_zoom() const { return 1; }
    virtual bool auto_zoom() const { return false; }
    virtual bool idle_moves() const { return false; }

    // The true-size reading, read at the start of a job or preview: the page's standard-mode
    // check, and the placement row both pages share (its offset is Field::OffsetX, OffsetY).
    virtual bool standard_mode([[maybe_unused]] int page) const { return false; }
    virtual PlacementOrigin placement_origin() const { return PlacementOrigin::File; }
    virtual bool mirror_x() const { return false; }
    // The DXF page's unit: empty for what the file's header says, else "mm", "cm", "m", "in",
    // "ft".
    virtual QString dxf_unit() const { return {}; }
    virtual bool circles_as_holes() const { return true; }
    // After a job placed by the drawing's corner: the offset that placement gave, put in the
    // offset fields with the placement turned to the file origin, so that the next file of the
    // same board lands on this one.
    virtual void keep_offset([[maybe_unused]] const QString& x, [[maybe_unused]] const QString& y) {
    }

protected:
    const std::vector<AddedPort>& added_ports() const { return added_ports_; }

private:
    std::vector<AddedPort> added_ports_;
};

}  // namespace ostrel
