// The step output engine: half-step patterns, backlash take-up, busy-wait timing, live display.
#include "motion/step_engine.h"

#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "port/port_selection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ostrel {

namespace {

const char* axis_letter(Axis axis) {
    return axis == AXIS_X ? "X" : axis == AXIS_Y ? "Y" : "Z";
}

}  // namespace

StepEngine::StepEngine(Machine& machine, Clock& clock) : machine_(machine), clock_(clock) {}

QString StepEngine::selected_port_name() const {
    return port_name(machine_.selected_port_id(), machine_.port_connection().added_ports());
}

std::int64_t StepEngine::step_ticks(Axis axis, double speed, std::int64_t frequency) {
    StepWait& wait = waits_[axis];
    const double ratio = machine_.state().mm_per_step[axis];
    if (wait.frequency != frequency || wait.ratio != ratio || wait.speed != speed) {
        const Extended length = std::fabs(static_cast<Extended>(ratio));
        // A wait that does not fit the counter throws here, at the step that would wait it.
        const std::int64_t ticks =
            round_half_even(divide(length * static_cast<Extended>(frequency), speed));
        wait = {ratio, speed, frequency, ticks};
    }
    return wait.ticks;
}

void StepEngine::step_delay(Axis axis, double speed) {
    const std::int64_t frequency = clock_.frequency();
    const std::int64_t now = clock_.counter();
    const std::int64_t ticks = step_ticks(axis, speed, frequency);
    // A step that follows on from the one before counts its time from where that step's wait
    // ended: the work between the two (the displays, the window's messages) comes out of the wait
    // instead of slowing the machine. After a longer gap (the first step of a move, a pause, the
    // system taking the processor) the whole wait runs from now: a late step is never made up
    // for by bringing the next one closer.
    const bool follows_on = last_wait_end_ && now - *last_wait_end_ <= ticks;
    const std::int64_t end = (follows_on ? *last_wait_end_ : now) + ticks;
    last_wait_end_ = std::max(end, now);  // a step without a wait ends it now
    if (ticks > 0) {
        totals_.wait_ticks += ticks;
        // The window may draw in what is left of the wait.
        machine_.op().during_wait(static_cast<double>(end - now) / static_cast<double>(frequency));
    }
    clock_.spin_until(end);
}

std::int64_t StepEngine::dwell_ticks(double seconds) const {
    return round_half_even(static_cast<Extended>(seconds) * clock_.frequency());
}

void StepEngine::count_wait(double seconds) {
    const std::int64_t ticks = dwell_ticks(seconds);
    if (!machine_.state().stop_requested && ticks > 0) {
        totals_.wait_ticks += ticks;
    }
}

void StepEngine::wait(double seconds) {
    const MachineState& s = machine_.state();
    const std::int64_t frequency = clock_.frequency();
    const std::int64_t ticks = dwell_ticks(seconds);
    if (s.stop_requested || ticks <= 0) {
        return;
    }
    Machine::MoveScope running(machine_);
    totals_.wait_ticks += ticks;
    const std::int64_t end = clock_.counter() + ticks;
    // In slices of a fiftieth of a second, so that Esc and Pause are heard.
    for (std::int64_t now = clock_.counter(); now < end && !s.stop_requested;
         now = clock_.counter()) {
        machine_.op().process_messages();
        const std::int64_t until = std::min(end, now + frequency / 50);
        machine_.op().during_wait(static_cast<double>(until - now) /
                                  static_cast<double>(frequency));
        clock_.spin_until(until);
    }
    // The next step's time counts from the end of the dwell (cut short by a stop: from now), not
    // from the step before it.
    last_wait_end_ = std::min(end, clock_.counter());
}

bool StepEngine::write_step(Axis axis, std::uint8_t pattern) {
    LptPortConnection& port = machine_.port_connection();
    // Nothing runs between the three writes that could change the chosen port.
    const std::uint8_t port_id = machine_.selected_port_id();
    // The axis takes the pattern on the second write, while its select bit is high: the step is
    // made once that write went through, whatever becomes of the third.
    if (!port.write_port(port_id, REG_DATA, pattern)) {
        return false;
    }
    if (!port.write_port(port_id, REG_DATA, pattern + axis_select[axis])) {
        return false;
    }
    if (!port.write_port(port_id, REG_DATA, pattern)) {
        machine_.state().stop_requested = true;
        machine_.op().show_message(
            MessageKind::Error,
            QStringLiteral("Порт %1 не принял запись: ось %2 сделала шаг, но её линия выбора "
                           "осталась включённой. Движение остановлено.")
                .arg(port_name(port_id, port.added_ports()), QLatin1String(axis_letter(axis))));
    }
    return true;
}

void StepEngine::take_back(Axis axis, std::int32_t dir, std::int64_t steps) {
    MachineState& s = machine_.state();
    const double amount =
        static_cast<double>(dir) * static_cast<double>(steps) * s.mm_per_step[axis];
    if (axis == AXIS_Z) {
        s.pos_z += amount;
    } else {
        s.position(axis) -= amount;
    }
}

void StepEngine::refuse_call(std::int32_t steps, double speed) {
    if (steps == 0) {
        throw OperationAbandoned(QStringLiteral("Division by zero"));
    }
    // A zero speed would divide by zero at the first wait: refuse before the phase moves on.
    if (speed == 0 || std::isnan(speed)) {
        throw OperationAbandoned(QStringLiteral("Floating point division by zero"));
    }
}

std::int64_t StepEngine::steps_with_slack(Axis axis, std::int32_t dir, std::int32_t steps) {
    const MachineState& s = machine_.state();
    std::int64_t count = std::llabs(static_cast<std::int64_t>(steps));
    if (dir != last_direction[axis]) {
        // Slack is a length: the motor's sense (the ratio's sign) does not turn it negative.
        const Extended slack = divide(static_cast<Extended>(s.backlash[axis]),
                                      std::fabs(static_cast<Extended>(s.mm_per_step[axis])));
        backlash_steps = step_count(slack, axis);
        count += backlash_steps;
        last_direction[axis] = dir;
    } else {
        backlash_steps = 0;
    }
    return count;
}

void StepEngine::count_steps(Axis axis, std::int32_t steps, double speed) {
    MachineState& s = machine_.state();
    if (s.stop_requested) {
        return;
    }
    refuse_call(steps, speed);
    const std::int32_t dir = steps > 0 ? 1 : -1;
    const std::int64_t count = steps_with_slack(axis, dir, steps);
    const std::int64_t ticks = step_ticks(axis, speed, clock_.frequency());
    if (ticks > 0) {
        totals_.wait_ticks += ticks * count;
    }
    pattern_index[axis] =
        static_cast<std::int32_t>(((pattern_index[axis] - 1 + dir * (count % 8)) % 8 + 8) % 8 + 1);
    (dir > 0 ? totals_.forward_steps : totals_.backward_steps)[axis] += count;
    const double step = static_cast<double>(dir) * s.mm_per_step[axis];
    if (axis == AXIS_Z) {
        s.pos_z = add_repeatedly(s.pos_z, -step, count);
    } else {
        s.position(axis) = add_repeatedly(s.position(axis), step, count);
    }
    if (backlash_steps > 0) {
        take_back(axis, dir, backlash_steps);
    }
}

void StepEngine::step_axis(Axis axis, std::int32_t steps, double speed) {
    MachineState& s = machine_.state();
    if (s.stop_requested) {
        return;
    }
    refuse_call(steps, speed);
    Machine::MoveScope running(machine_);
    ++totals_.calls;
    const std::int32_t dir = steps > 0 ? 1 : -1;
    const std::int64_t count = steps_with_slack(axis, dir, steps);
    const std::int32_t extra = backlash_steps;

    std::int64_t made = 0;
    bool stopped_in_loop = false;
    for (std::int64_t i = 1; i <= count && !s.stop_requested; ++i) {
        machine_.op().process_messages();
        if (s.stop_requested) {
            stopped_in_loop = true;
            break;
        }
        machine_.op().set_gauge(static_cast<int>(i * 100 / count));
        std::int32_t phase = pattern_index[axis] + dir;
        phase = phase > 8 ? 1 : phase < 1 ? 8 : phase;
        step_delay(axis, speed);
        if (!write_step(axis, half_step_patterns[phase])) {
            // The axis never took the pattern: it stays on the last phase it has, so the next
            // move goes on without a lost step.
            s.stop_requested = true;
            machine_.op().show_message(
                MessageKind::Error,
                QStringLiteral("Порт %1 не принял запись: шаг по оси %2 не сделан. Движение "
                               "остановлено.")
                    .arg(selected_port_name(), QLatin1String(axis_letter(axis))));
            stopped_in_loop = true;
            break;
        }
        pattern_index[axis] = phase;
        ++made;
        (dir > 0 ? totals_.forward_steps : totals_.backward_steps)[axis] += 1;
        const double step = static_cast<double>(dir) * s.mm_per_step[axis];
        if (axis == AXIS_Z) {
            s.pos_z -= step;
        } else {
            s.position(axis) += step;
        }
        machine_.view_xyz();
    }
    // The extra steps took up slack, not distance: only those really made come off again.
    const std::int64_t extra_made = std::min<std::int64_t>(made, extra);
    if (extra_made > 0) {
        take_back(axis, dir, extra_made);
    }
    if (extra_made > 0 || (!stopped_in_loop && made == 0)) {
        machine_.view_xyz();
    } else if (!stopped_in_loop) {
        // The last step's view drew and checked this very position.
        machine_.show_position_again();
    }
}

}  // namespace ostrel
