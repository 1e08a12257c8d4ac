// A whole machine for tests: core logic on the simulated port and the fake clock, window faked.
#pragma once

#include "core/picture.h"
#include "motion/machine.h"
#include "motion/mover.h"
#include "motion/step_engine.h"
#include "port/sim_backend.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_operator.h"
#include "tests/support/tool_path.h"

#include <memory>

namespace ostrel::testing {

class MachineRig {
public:
    // The factory settings, the port "$378" chosen, the probe's patterns forgotten.
    explicit MachineRig(std::int64_t clock_frequency = 1'000'000'000);

    // The motors behind the chosen port, as the machine's electronics decoded the writes.
    const StepDecoder& motors() const { return sim->machine(PORT_378); }
    // Writes to the port's data register since the rig was made or the writes were cleared.
    const std::vector<PortRecord>& writes() const { return sim->write_log(); }
    void clear_writes();
    // Where the tool stood after each step of those writes, counted from start.
    std::vector<StepPoint> path(StepPoint start = {}) const {
        return decode_writes(writes(), PORT_378, start, motors_before_writes_).path;
    }
    // The same steps grouped into moves, at the speeds the step periods give at the X ratio;
    // the waits count from the rig's making, so the writes must not have been cleared.
    std::vector<PathMove> moves(StepPoint start = {}) {
        return group_moves(path(start), start, clock.periods(), machine.state().mm_per_step[AXIS_X],
                           clock.frequency());
    }

    RecordingOperator op;
    FakePanel panel;
    ImagePicture track{QSize(TrackView::kWidth, TrackView::kHeight)};
    FakeClock clock;
    Machine machine{op, panel, track};
    SimBackend* sim = nullptr;  // owned by the machine's port connection
    StepEngine engine{machine, clock};
    Mover mover{machine, engine};

private:
    // The motors when the write log began: the patterns their drivers held then.
    StepDecoder motors_before_writes_;
};

}  // namespace ostrel::testing
