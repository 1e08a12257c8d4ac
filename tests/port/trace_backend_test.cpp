// The trace writer: its line format, what it traces, and building traced back ends.
#include "port/trace_backend.h"
#include "port/lpt_port_connection.h"
#include "port/port_options.h"
#include "port/sim_backend.h"
#include "tests/support/scripted_port.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tool_path.h"

#include <gtest/gtest.h>
#include <QFile>

namespace ostrel {
namespace {

QString file_text(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return QString::fromLatin1(file.readAll());
}

TEST(TraceLine, AddressInTwoLowerCaseHexDigitsValueInDecimal) {
    EXPECT_EQ(TraceBackend::line(0x20, 19), QStringLiteral("0x20 19"));
    EXPECT_EQ(TraceBackend::line(0x02, 0), QStringLiteral("0x02 0"));
    EXPECT_EQ(TraceBackend::line(0x3a, 255), QStringLiteral("0x3a 255"));
    EXPECT_EQ(TraceBackend::line(0xFF, 100), QStringLiteral("0xff 100"));
    EXPECT_EQ(TraceBackend::line(0x10, 9), QStringLiteral("0x10 9"));
}

TEST(TraceBackend, WritesThatReachedThePortAreTracedReadsAreNot) {
    const testing::TempFolder folder;
    const QString path = folder.path(QStringLiteral("run.trace"));
    {
        auto scripted = std::make_unique<testing::ScriptedBackend>();
        scripted->failing_writes = {0x30};
        TraceBackend trace(std::move(scripted), path);
        ASSERT_TRUE(trace.trace_open());
        std::uint8_t value = 0;
        EXPECT_TRUE(trace.write_register(0x20, 3));
        EXPECT_TRUE(trace.read_register(0x20, value));
        EXPECT_EQ(value, 3);  // reads pass through
        EXPECT_FALSE(trace.write_register(0x30, 7));
        EXPECT_TRUE(trace.write_register(0x2a, 200));
    }
    EXPECT_EQ(file_text(path), QStringLiteral("0x20 3\n0x2a 200\n"));
}

TEST(TraceBackend, LongRunIsCompleteAfterDestruction) {
    const testing::TempFolder folder;
    const QString path = folder.path(QStringLiteral("long.trace"));
    const int steps = 50'000;  // well past any buffer size
    {
        TraceBackend trace(std::make_unique<SimBackend>(), path);
        for (int i = 0; i < steps; ++i) {
            const std::uint8_t pattern = StepDecoder::HALF_STEP_PATTERNS[(i + 1) % 8];
            trace.write_register(0x20, pattern);
            trace.write_register(0x20, static_cast<std::uint8_t>(pattern | 0x20));
            trace.write_register(0x20, pattern);
        }
    }
    const StepDecoder machine =
        testing::decode_writes(testing::read_trace_file(path), PORT_378).motors;
    EXPECT_EQ(machine.forward_steps(2), steps);
    EXPECT_EQ(machine.faults(2), 0);
}

TEST(TraceBackend, MadeFromOptionsAroundTheChosenBackEnd) {
    const testing::TempFolder folder;
    PortOptions options;
    options.kind = PortKind::Sim;
    options.sim_3bc = false;
    options.trace_path = folder.path(QStringLiteral("sim.trace"));
    {
        QString error;
        std::unique_ptr<PortBackend> backend = make_port_backend(options, &error);
        ASSERT_NE(backend, nullptr) << error.toStdString();
        SimBackend* sim = find_sim_backend(backend.get());
        ASSERT_NE(sim, nullptr);
        EXPECT_FALSE(sim->port_exists(PORT_3BC));
        EXPECT_TRUE(backend->write_register(0x20, 0x11));
        EXPECT_EQ(sim->machine(PORT_378).latched_pattern(1), 1);
    }
    EXPECT_EQ(file_text(options.trace_path), QStringLiteral("0x20 17\n"));
}

TEST(TraceBackend, UnwritableTraceFileIsReportedNotIgnored) {
    const testing::TempFolder folder;
    PortOptions options;
    options.kind = PortKind::Sim;
    options.trace_path = folder.path(QStringLiteral("no/such/folder/run.trace"));
    QString error;
    std::unique_ptr<PortBackend> backend = make_port_backend(options, &error);
    EXPECT_FALSE(backend->is_open());
    EXPECT_TRUE(error.contains(options.trace_path)) << error.toStdString();
    // The start-up message tells of the trace file and why, not of a port error code.
    LptPortConnection port(std::move(backend));
    const QString told = port_failure_message(port);
    EXPECT_EQ(told, QStringLiteral("Не удаётся записать файл трассировки \"%1\": %2")
                        .arg(options.trace_path, qt_error_string(ENOENT)));
}

TEST(PortFailureMessage, TheCodeComesWithTheSystemsText) {
    auto closed = std::make_unique<testing::ScriptedBackend>();
    closed->open = false;
    closed->error = ENOSYS;
    LptPortConnection port(std::move(closed));
    EXPECT_EQ(port_failure_message(port),
              QStringLiteral("Ошибка при создании объекта Lpt,  драйвер ERROR,  код = 38 (%1)")
                  .arg(qt_error_string(ENOSYS)));
}

}  // namespace
}  // namespace ostrel
