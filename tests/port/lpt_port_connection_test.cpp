// The connection: the probe against ports that answer in different ways, batches, no access.
#include "port/lpt_port_connection.h"
#include "tests/support/scripted_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

namespace ostrel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::read_of;
using testing::ScriptedBackend;
using testing::write_of;

// A connection over a scripted back end; the log of the probe made at construction is cleared
// so that each test sees only what it asked for.
struct Rig {
    explicit Rig(std::unique_ptr<ScriptedBackend> scripted = std::make_unique<ScriptedBackend>())
        : port(scripted.get()), connection(std::move(scripted)) {
        port->log.clear();
    }
    ScriptedBackend* port;
    LptPortConnection connection;
};

TEST(PortProbe, DataRegisterThatEchoesIsPresentWithoutOtherRegistersRead) {
    Rig rig;
    rig.port->registers[0x20] = 0x3C;
    EXPECT_TRUE(rig.connection.port_present(PORT_378));
    EXPECT_THAT(rig.port->log,
                ElementsAre(read_of(0x20, 0x3C), write_of(0x20, 0x00), read_of(0x20, 0x00),
                            write_of(0x20, 0x55), read_of(0x20, 0x55), write_of(0x20, 0xAA),
                            read_of(0x20, 0xAA), write_of(0x20, 0x3C)));
    EXPECT_EQ(rig.port->registers[0x20], 0x3C);
}

TEST(PortProbe, WrongEchoButAnsweringControlIsPresentWithoutStatusRead) {
    Rig rig;
    rig.port->stuck[0x10] = 0x00;  // data lines held low: the first comparison still passes
    rig.port->registers[0x12] = 0xCC;
    EXPECT_TRUE(rig.connection.port_present(PORT_3BC));
    EXPECT_THAT(rig.port->reads(), ElementsAre(read_of(0x10, 0x00), read_of(0x10, 0x00),
                                               read_of(0x10, 0x00), read_of(0x12, 0xCC)));
}

TEST(PortProbe, ControlReadingAllOnesFallsBackToStatus) {
    Rig rig;
    rig.port->stuck[0x30] = 0x5A;
    rig.port->registers[0x32] = 0xFF;
    rig.port->registers[0x31] = 0x78;
    EXPECT_TRUE(rig.connection.port_present(PORT_278));
    EXPECT_THAT(rig.port->reads(), ElementsAre(read_of(0x30, 0x5A), read_of(0x30, 0x5A),
                                               read_of(0x32, 0xFF), read_of(0x31, 0x78)));
}

TEST(PortProbe, ControlAndStatusOfAllZerosMeanAbsent) {
    Rig rig;
    rig.port->stuck[0x20] = 0x01;
    rig.port->registers[0x22] = 0x00;
    rig.port->registers[0x21] = 0x00;
    EXPECT_FALSE(rig.connection.port_present(PORT_378));
}

TEST(PortProbe, NothingAnsweringIsAbsentAfterExactlyTheProbeSequence) {
    Rig rig;
    rig.port->float_port(PORT_278);
    EXPECT_FALSE(rig.connection.port_present(PORT_278));
    // Four writes always; after the first failed comparison no data read-back; the data
    // register gets back what was read from it.
    EXPECT_THAT(rig.port->log,
                ElementsAre(read_of(0x30, 0xFF), write_of(0x30, 0x00), read_of(0x30, 0xFF),
                            write_of(0x30, 0x55), write_of(0x30, 0xAA), write_of(0x30, 0xFF),
                            read_of(0x32, 0xFF), read_of(0x31, 0xFF)));
}

TEST(PortProbe, ReadBacksStopAtTheFirstFailedComparison) {
    Rig rig;
    rig.port->read_mask[0x10] = 0x0F;  // only four data lines read back
    rig.port->registers[0x10] = 0x00;
    rig.port->registers[0x12] = 0x00;
    rig.port->registers[0x11] = 0x87;
    EXPECT_TRUE(rig.connection.port_present(PORT_3BC));
    EXPECT_THAT(rig.port->log,
                ElementsAre(read_of(0x10, 0x00), write_of(0x10, 0x00), read_of(0x10, 0x00),
                            write_of(0x10, 0x55), read_of(0x10, 0x05), write_of(0x10, 0xAA),
                            write_of(0x10, 0x00), read_of(0x12, 0x00), read_of(0x11, 0x87)));
}

TEST(PortProbe, UnreadableDataRegisterIsRestoredToZero) {
    // A failed read gives 0, so 0 is what goes back; the probe goes on to the other registers.
    Rig rig;
    rig.port->failing_reads = {0x20};
    rig.port->registers[0x22] = 0x04;
    EXPECT_TRUE(rig.connection.port_present(PORT_378));
    EXPECT_THAT(rig.port->writes(), ElementsAre(write_of(0x20, 0x00), write_of(0x20, 0x55),
                                                write_of(0x20, 0xAA), write_of(0x20, 0x00)));
}

TEST(PortConnection, ConstructionProbesTheThreePortsInOrder) {
    auto scripted = std::make_unique<ScriptedBackend>();
    ScriptedBackend* port = scripted.get();
    port->float_port(PORT_3BC);  // only 0x378 is there
    port->float_port(PORT_278);
    LptPortConnection connection(std::move(scripted));
    EXPECT_FALSE(connection.present_3bc);
    EXPECT_TRUE(connection.present_378);
    EXPECT_FALSE(connection.present_278);
    std::vector<std::uint8_t> first_reads;
    for (const auto& access : port->reads()) {
        if (first_reads.empty() || (first_reads.back() & 0xF0) != (access.address & 0xF0)) {
            first_reads.push_back(access.address);
        }
    }
    EXPECT_THAT(first_reads, ElementsAre(0x10, 0x20, 0x30));
}

TEST(PortConnection, WithoutAccessNothingReachesTheBackEnd) {
    auto scripted = std::make_unique<ScriptedBackend>();
    scripted->open = false;
    scripted->error = 13;
    scripted->registers[0x20] = 0x42;
    ScriptedBackend* port = scripted.get();
    LptPortConnection connection(std::move(scripted));

    EXPECT_FALSE(connection.is_ready());
    EXPECT_EQ(connection.error_code(), 13);
    EXPECT_FALSE(connection.present_3bc || connection.present_378 || connection.present_278);
    EXPECT_EQ(connection.read_port(PORT_378, REG_DATA), 0);
    EXPECT_FALSE(connection.write_port(PORT_378, REG_DATA, 0x11));
    for (std::uint8_t p : {PORT_3BC, PORT_378, PORT_278}) {
        EXPECT_FALSE(connection.port_present(p));
    }
    std::array<PortRecord, 2> batch = {{{0x20, 7}, {0x22, 9}}};
    EXPECT_FALSE(connection.read_ports(batch));
    EXPECT_FALSE(connection.write_ports(batch));
    EXPECT_EQ(batch[0].value, 7);
    EXPECT_EQ(batch[1].value, 9);
    EXPECT_THAT(port->log, IsEmpty());
    EXPECT_EQ(port->failed_accesses, 0);
}

TEST(PortConnection, WithoutBackEndIsNotReady) {
    LptPortConnection connection(nullptr);
    EXPECT_FALSE(connection.is_ready());
    EXPECT_NE(connection.error_code(), 0);
    EXPECT_EQ(connection.read_port(PORT_3BC, REG_DATA), 0);
    EXPECT_FALSE(connection.write_port(PORT_3BC, REG_DATA, 1));
}

TEST(PortBatch, RecordsGoThroughInOrder) {
    Rig rig;
    rig.port->registers[0x21] = 0x78;
    rig.port->registers[0x22] = 0xCC;
    std::array<PortRecord, 3> writes = {{{0x20, 1}, {0x20, 17}, {0x20, 1}}};
    EXPECT_TRUE(rig.connection.write_ports(writes));
    std::array<PortRecord, 3> reads = {{{0x22, 0}, {0x21, 0}, {0x20, 0}}};
    EXPECT_TRUE(rig.connection.read_ports(reads));
    EXPECT_THAT(rig.port->log,
                ElementsAre(write_of(0x20, 1), write_of(0x20, 17), write_of(0x20, 1),
                            read_of(0x22, 0xCC), read_of(0x21, 0x78), read_of(0x20, 1)));
    EXPECT_EQ(reads[0].value, 0xCC);
    EXPECT_EQ(reads[1].value, 0x78);
    EXPECT_EQ(reads[2].value, 1);
}

TEST(PortBatch, OneFailedAccessFailsTheBatchButTheRestIsStillDone) {
    Rig rig;
    rig.port->registers[0x10] = 0x11;
    rig.port->registers[0x30] = 0x33;
    rig.port->failing_reads = {0x20};
    rig.port->failing_writes = {0x20};

    std::array<PortRecord, 3> reads = {{{0x10, 0}, {0x20, 0x99}, {0x30, 0}}};
    EXPECT_FALSE(rig.connection.read_ports(reads));
    EXPECT_EQ(reads[0].value, 0x11);
    EXPECT_EQ(reads[1].value, 0x99);  // left as it was
    EXPECT_EQ(reads[2].value, 0x33);

    std::array<PortRecord, 2> writes = {{{0x20, 5}, {0x30, 6}}};
    EXPECT_FALSE(rig.connection.write_ports(writes));
    EXPECT_EQ(rig.port->registers[0x30], 6);
}

TEST(PortBatch, SingleRegisterCallsNameTheRegisterByIdentifierOrOffset) {
    Rig rig;
    rig.port->registers[0x32] = 0xC4;
    EXPECT_EQ(rig.connection.read_port(PORT_278, REG_CONTROL), 0xC4);
    EXPECT_TRUE(rig.connection.write_port(PORT_3BC, REG_CONTROL, 0x0B));
    rig.port->failing_reads = {0x21};
    rig.port->registers[0x21] = 0x80;
    EXPECT_EQ(rig.connection.read_port(PORT_378, REG_STATUS), 0);  // nothing read
    rig.port->failing_writes = {0x20};
    EXPECT_FALSE(rig.connection.write_port(PORT_378, REG_DATA, 3));
    EXPECT_THAT(rig.port->log, ElementsAre(read_of(0x32, 0xC4), write_of(0x12, 0x0B)));
}

}  // namespace
}  // namespace ostrel
