// The test machine's wiring.
#include "tests/support/machine_rig.h"

namespace ostrel::testing {

MachineRig::MachineRig(std::int64_t clock_frequency) : clock(clock_frequency) {
    auto backend = std::make_unique<SimBackend>();
    sim = backend.get();
    machine.open_port(std::move(backend));
    machine.state().apply(MachineParameters::defaults());
    panel.texts[Field::Port] = QStringLiteral("$378");
    // The probe's 0x55 and 0xAA are no coil patterns; what matters starts after it.
    sim->machine(PORT_378).clear_counts();
    sim->keep_write_log(true);
    clear_writes();
}

void MachineRig::clear_writes() {
    sim->clear_write_log();
    motors_before_writes_ = motors();
}

}  // namespace ostrel::testing
