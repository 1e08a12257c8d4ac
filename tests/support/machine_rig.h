// A whole machine for tests: core logic on the simulated port and the fake clock, window faked.
#pragma once

#include "core/picture.h"
#include "motion/machine.h"
#include "motion/mover.h"
#include "motion/step_engine.h"
#include "port/sim_backend.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_operator.h"

#include <memory>

namespace ostrel::testing {

class MachineRig {
public:
    // The factory settings, the port "$378" chosen, the probe's patterns forgotten.
    explicit MachineRig(std::int64_t clock_frequency = 1'000'000'000);

    // The motors behind the chosen port, as the machine's electronics decoded the writes.
    const StepDecoder& motors() const { return sim->machine(PORT_378); }
    // Writes to the port's data register since the rig was made (or the log was cleared).
    const std::vector<PortRecord>& writes() const { return sim->write_log(); }

    RecordingOperator op;
    FakePanel panel;
    ImagePicture track{QSize(TrackView::kWidth, TrackView::kHeight)};
    FakeClock clock;
    Machine machine{op, panel, track};
    SimBackend* sim = nullptr;  // owned by the machine's port connection
    StepEngine engine{machine, clock};
    Mover mover{machine, engine};
};

}  // namespace ostrel::testing
