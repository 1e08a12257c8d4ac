// A port at another base address (a PCIe card's) beside a classic one, on the simulated machine.
#include "motion/manual_control.h"
#include "port/sim_backend.h"
#include "tests/support/machine_rig.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

using ::testing::ElementsAre;

TEST(AddedPort, IsListedAfterTheClassicPortsProbedAndMovesTheMachine) {
    testing::MachineRig rig;
    auto backend =
        std::make_unique<SimBackend>(false, true, false, std::vector<unsigned long>{0xD010});
    SimBackend& sim = *backend;
    sim.keep_write_log(true);
    rig.machine.open_port(std::move(backend));

    EXPECT_THAT(rig.machine.probe_port_list(), ElementsAre("$378", "$D010"));
    std::vector<int> probe;
    for (const PortRecord& write : sim.write_log()) {
        if (write.address == (FIRST_ADDED_PORT | REG_DATA)) {
            probe.push_back(write.value);
        }
    }
    EXPECT_THAT(probe, ElementsAre(0x00, 0x55, 0xAA, 0x00));

    rig.panel.texts[Field::Port] = QStringLiteral("$D010");
    ASSERT_EQ(rig.machine.selected_port_id(), FIRST_ADDED_PORT);
    const StepDecoder classic_before = sim.machine(PORT_378);
    sim.machine(FIRST_ADDED_PORT).clear_counts();
    rig.panel.jog_distance = 7;  // 1 mm
    ManualControl manual{rig.machine, rig.engine, rig.mover};
    manual.jog_x_plus();
    manual.jog_y_minus();
    const StepDecoder& card = sim.machine(FIRST_ADDED_PORT);
    EXPECT_EQ(card.forward_steps(AXIS_X), 400);
    EXPECT_EQ(card.backward_steps(AXIS_Y), 400);
    EXPECT_EQ(sim.machine(PORT_378).forward_steps(AXIS_X), classic_before.forward_steps(AXIS_X));
    EXPECT_EQ(sim.machine(PORT_378).backward_steps(AXIS_Y), classic_before.backward_steps(AXIS_Y));
}

}  // namespace
}  // namespace ostrel
