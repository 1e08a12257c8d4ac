// The motors' view of the data pins (StepDecoder), the simulated ports, and the trace decoder.
#include "port/lpt_port_connection.h"
#include "port/port_selection.h"
#include "port/sim_backend.h"
#include "port/step_decoder.h"
#include "tests/support/tool_path.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace ostrel {
namespace {

using ::testing::ElementsAre;

constexpr std::uint8_t X = 0x10, Y = 0x20, Z = 0x40;

// The three writes the step engine makes per step: pattern, pattern with select, pattern.
void step(StepDecoder& decoder, std::uint8_t pattern, std::uint8_t select) {
    decoder.feed(pattern);
    decoder.feed(static_cast<std::uint8_t>(pattern | select));
    decoder.feed(pattern);
}

TEST(StepDecoder, WalkingTheTableUpIsForwardAndWrapsAfterTheLastEntry) {
    StepDecoder decoder;
    for (int lap = 0; lap < 2; ++lap) {
        for (std::uint8_t pattern : {3, 2, 6, 4, 12, 8, 9, 1}) {
            step(decoder, pattern, X);
        }
    }
    EXPECT_EQ(decoder.forward_steps(1), 16);
    EXPECT_EQ(decoder.backward_steps(1), 0);
    EXPECT_EQ(decoder.faults(1), 0);
    EXPECT_EQ(decoder.latched_pattern(1), 1);
}

TEST(StepDecoder, WalkingDownIsBackwardAndWrapsBelowTheFirstEntry) {
    StepDecoder decoder;
    for (std::uint8_t pattern : {9, 8, 12}) {
        step(decoder, pattern, Y);
    }
    step(decoder, 8, Y);  // and one back up
    EXPECT_EQ(decoder.backward_steps(2), 3);
    EXPECT_EQ(decoder.forward_steps(2), 1);
    EXPECT_EQ(decoder.position(2), -2);
    EXPECT_EQ(decoder.faults(2), 0);
}

TEST(StepDecoder, OnlySelectedAxesTakeThePatternAndTheOthersHoldTheirs) {
    StepDecoder decoder;
    step(decoder, 3, X);
    step(decoder, 2, X);
    step(decoder, 9, Z);
    EXPECT_EQ(decoder.forward_steps(1), 2);
    EXPECT_EQ(decoder.latched_pattern(1), 2);
    EXPECT_EQ(decoder.latched_pattern(2), 1);
    EXPECT_EQ(decoder.position(2), 0);
    EXPECT_EQ(decoder.backward_steps(3), 1);
    // Rewriting the pattern an axis holds moves nothing.
    decoder.feed(0x12);
    EXPECT_EQ(decoder.position(1), 2);
}

TEST(StepDecoder, SkippingEntriesIsALostStepNotAMove) {
    StepDecoder decoder;
    step(decoder, 2, X);  // entry 3 after entry 1
    EXPECT_EQ(decoder.faults(1), 1);
    EXPECT_EQ(decoder.position(1), 0);
    step(decoder, 6, X);  // counting goes on from where the motor now is
    EXPECT_EQ(decoder.forward_steps(1), 1);
    EXPECT_EQ(decoder.faults(1), 1);
}

TEST(StepDecoder, PatternOutsideTheTableIsAFaultAndTheRotorKeepsItsPhase) {
    // What the port probe does to a machine: 0x55 latches 0101 into X and Z, 0xAA 1010 into Y.
    StepDecoder decoder;
    for (std::uint8_t byte : {0x00, 0x55, 0xAA, 0x00}) {
        decoder.feed(byte);
    }
    EXPECT_EQ(decoder.faults(1), 1);
    EXPECT_EQ(decoder.faults(2), 1);
    EXPECT_EQ(decoder.faults(3), 1);
    step(decoder, 3, X);  // the next entry from where the rotor stayed
    EXPECT_EQ(decoder.forward_steps(1), 1);
    EXPECT_EQ(decoder.faults(1), 1);
    decoder.clear_counts();
    EXPECT_EQ(decoder.faults(2), 0);
    EXPECT_EQ(decoder.latched_pattern(2), 10);
}

TEST(SimBackend, ProbeFindsExactlyTheConfiguredPorts) {
    LptPortConnection connection(std::make_unique<SimBackend>(false, true, true));
    EXPECT_TRUE(connection.is_ready());
    EXPECT_FALSE(connection.present_3bc);
    EXPECT_TRUE(connection.present_378);
    EXPECT_TRUE(connection.present_278);
    EXPECT_THAT(port_list(connection), ElementsAre("$378", "$278"));

    LptPortConnection none(std::make_unique<SimBackend>(false, false, false));
    EXPECT_TRUE(port_list(none).isEmpty());
}

TEST(SimBackend, RegistersOfAPortAndOfNoPort) {
    SimBackend sim(true, false, true);
    std::uint8_t value = 0;
    ASSERT_TRUE(sim.write_register(0x30, 0x5A));
    ASSERT_TRUE(sim.read_register(0x30, value));
    EXPECT_EQ(value, 0x5A);
    ASSERT_TRUE(sim.read_register(0x32, value));
    EXPECT_NE(value, 0x00);
    EXPECT_NE(value, 0xFF);
    // 0x378 is not there: writes vanish, reads see a floating bus.
    EXPECT_TRUE(sim.write_register(0x20, 0x00));
    for (std::uint8_t reg : {REG_DATA, REG_STATUS, REG_CONTROL}) {
        ASSERT_TRUE(sim.read_register(static_cast<std::uint8_t>(0x20 | reg), value));
        EXPECT_EQ(value, 0xFF);
    }
    // A port number other than 1..3 names no port either.
    ASSERT_TRUE(sim.read_register(0x40, value));
    EXPECT_EQ(value, 0xFF);
}

TEST(SimBackend, DataWritesOfEachPortDriveItsOwnMachine) {
    SimBackend sim;
    for (std::uint8_t byte : {3, 19, 3}) {
        sim.write_register(0x20, byte);
    }
    sim.write_register(0x22, 0x13);  // control writes are not the motors'
    sim.write_register(0x10, 0x29);  // Y of the machine on 0x3BC steps back
    EXPECT_EQ(sim.machine(PORT_378).forward_steps(1), 1);
    EXPECT_EQ(sim.machine(PORT_378).faults(1), 0);
    EXPECT_EQ(sim.machine(PORT_3BC).backward_steps(2), 1);
    EXPECT_EQ(sim.machine(PORT_3BC).position(1), 0);
    EXPECT_EQ(sim.machine(PORT_278).position(1), 0);
}

TEST(SimBackend, FailedWritesChangeNothing) {
    SimBackend sim;
    sim.keep_write_log(true);
    sim.fail_writes_after(2);
    EXPECT_TRUE(sim.write_register(0x20, 3));
    EXPECT_TRUE(sim.write_register(0x20, 19));
    EXPECT_FALSE(sim.write_register(0x20, 0x12));
    EXPECT_FALSE(sim.write_register(0x20, 0x12));
    std::uint8_t value = 0;
    sim.read_register(0x20, value);
    EXPECT_EQ(value, 19);
    EXPECT_EQ(sim.machine(PORT_378).forward_steps(1), 1);
    EXPECT_EQ(sim.write_attempts(), 4);
    EXPECT_EQ(sim.write_log().size(), 2u);

    sim.fail_all_writes(false);
    EXPECT_TRUE(sim.write_register(0x20, 0x12));
    EXPECT_EQ(sim.machine(PORT_378).forward_steps(1), 2);
    sim.fail_all_writes(true);
    EXPECT_FALSE(sim.write_register(0x20, 0x16));
}

TEST(TraceDecoder, CountsOnlyTheDataRegisterOfTheChosenPort) {
    const QString trace = QStringLiteral(
        "0x20 3\n0x20 19\n0x20 3\n"    // X forward on 0x378
        "0x22 16\n"                    // control register
        "0x30 25\n"                    // another port
        "0x20 9\n0x20 41\n0x20 9\n");  // Y backward on 0x378
    const testing::DecodedWrites decoded = testing::decode_trace(trace, PORT_378);
    const StepDecoder& machine = decoded.motors;
    EXPECT_EQ(machine.forward_steps(1), 1);
    EXPECT_EQ(machine.backward_steps(2), 1);
    EXPECT_EQ(machine.faults(1) + machine.faults(2) + machine.faults(3), 0);
    EXPECT_EQ(decoded.path, (std::vector<testing::StepPoint>{{1, 0, 0}, {1, -1, 0}}));
    EXPECT_EQ(testing::decode_trace(trace, PORT_278).motors.backward_steps(1), 1);
}

TEST(TraceDecoder, AgreesWithTheSimulatedMachineOnItsWriteLog) {
    SimBackend sim;
    sim.keep_write_log(true);
    for (int i = 0; i < 20; ++i) {
        const std::uint8_t pattern = StepDecoder::HALF_STEP_PATTERNS[(i + 1) % 8];
        for (std::uint8_t byte : {pattern, static_cast<std::uint8_t>(pattern | Z), pattern}) {
            sim.write_register(0x30, byte);
        }
    }
    const StepDecoder decoded = testing::decode_writes(sim.write_log(), PORT_278).motors;
    EXPECT_EQ(decoded.forward_steps(3), 20);
    EXPECT_EQ(decoded.forward_steps(3), sim.machine(PORT_278).forward_steps(3));
}

TEST(TraceDecoder, RejectsLinesOutOfFormat) {
    EXPECT_EQ(testing::parse_trace(QString()).size(), 0u);
    EXPECT_EQ(testing::parse_trace(QStringLiteral("0x2a 255")).size(), 1u);
    for (const char* bad :
         {"0x2A 1\n", "0x20 256\n", "0x20  1\n", "20 1\n", "0x20 01\n", "0x20 1\n\n0x20 2\n"}) {
        EXPECT_THROW(testing::parse_trace(QString::fromLatin1(bad)), std::invalid_argument) << bad;
    }
}

}  // namespace
}  // namespace ostrel
