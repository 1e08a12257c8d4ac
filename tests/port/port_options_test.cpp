// Choosing the port back end: command-line words, the environment, and what gets built.
#include "port/port_options.h"
#include "port/ppdev_backend.h"
#include "port/sim_backend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

namespace ostrel {
namespace {

using ::testing::ElementsAre;

// Sets or removes OSTREL_PORT for one test and puts back what was there.
class PortEnvironment {
public:
    explicit PortEnvironment(const char* value) : had_(qEnvironmentVariableIsSet(NAME)) {
        old_ = qgetenv(NAME);
        if (value != nullptr) {
            qputenv(NAME, value);
        } else {
            qunsetenv(NAME);
        }
    }
    ~PortEnvironment() {
        if (had_) {
            qputenv(NAME, old_);
        } else {
            qunsetenv(NAME);
        }
    }

private:
    static constexpr const char* NAME = "OSTREL_PORT";
    bool had_;
    QByteArray old_;
};

struct Taken {
    std::optional<PortOptions> options;
    QStringList rest;
    QString error;
};

Taken take(QStringList arguments, PortKind default_kind = PortKind::Auto) {
    Taken taken;
    taken.options = take_port_options(arguments, default_kind, taken.error);
    taken.rest = arguments;
    return taken;
}

TEST(PortKindName, TheFourWordsAndNothingElse) {
    EXPECT_EQ(port_kind_from_name(QStringLiteral("auto")), PortKind::Auto);
    EXPECT_EQ(port_kind_from_name(QStringLiteral("ppdev")), PortKind::Ppdev);
    EXPECT_EQ(port_kind_from_name(QStringLiteral("direct")), PortKind::Direct);
    EXPECT_EQ(port_kind_from_name(QStringLiteral("sim")), PortKind::Sim);
    for (const char* bad : {"", "Sim", "simulated", " sim", "lpt"}) {
        EXPECT_FALSE(port_kind_from_name(QString::fromLatin1(bad)).has_value()) << bad;
    }
}

TEST(SimPorts, ListPicksWhichPortsExist) {
    const auto some = with_sim_ports(PortOptions{}, QStringLiteral("278,3BC"));
    ASSERT_TRUE(some.has_value());
    EXPECT_TRUE(some->sim_3bc);
    EXPECT_FALSE(some->sim_378);
    EXPECT_TRUE(some->sim_278);
    const auto none = with_sim_ports(PortOptions{}, QString());
    ASSERT_TRUE(none.has_value());
    EXPECT_FALSE(none->sim_3bc || none->sim_378 || none->sim_278);
    for (const char* bad : {"378,", "0x378", "378;278", "379", "-d010", "10000", "d01g", "0"}) {
        EXPECT_FALSE(with_sim_ports(PortOptions{}, QString::fromLatin1(bad)).has_value()) << bad;
    }
    // Other base addresses are added ports, in the order given, each once.
    const auto pcie = with_sim_ports(PortOptions{}, QStringLiteral("e000,378,D010,e000"));
    ASSERT_TRUE(pcie.has_value());
    EXPECT_TRUE(pcie->sim_378);
    EXPECT_FALSE(pcie->sim_3bc || pcie->sim_278);
    EXPECT_EQ(pcie->sim_added, (std::vector<unsigned long>{0xE000, 0xD010}));
    QStringList many;
    for (int i = 1; i <= MAX_ADDED_PORTS + 1; ++i) {
        many.append(QString::number(0xC000 + 8 * i, 16));
    }
    EXPECT_FALSE(with_sim_ports(PortOptions{}, many.join(QLatin1Char(','))).has_value());
    many.removeLast();
    EXPECT_TRUE(with_sim_ports(PortOptions{}, many.join(QLatin1Char(','))).has_value());
}

TEST(PortOptionWords, BothFormsAreTakenAndTheRestKeptInOrder) {
    PortEnvironment env(nullptr);
    const Taken a = take({"--job", "drill", "--port=sim", "--trace", "out.trace", "file.gbr"});
    ASSERT_TRUE(a.options.has_value()) << a.error.toStdString();
    EXPECT_EQ(a.options->kind, PortKind::Sim);
    EXPECT_EQ(a.options->trace_path, QStringLiteral("out.trace"));
    EXPECT_THAT(a.rest, ElementsAre("--job", "drill", "file.gbr"));

    const Taken b = take({"--port", "direct", "--trace=t", "--sim-ports=378", "x.dxf"});
    ASSERT_TRUE(b.options.has_value()) << b.error.toStdString();
    EXPECT_EQ(b.options->kind, PortKind::Direct);
    EXPECT_EQ(b.options->trace_path, QStringLiteral("t"));
    EXPECT_FALSE(b.options->sim_3bc);
    EXPECT_TRUE(b.options->sim_378);
    EXPECT_THAT(b.rest, ElementsAre("x.dxf"));
}

TEST(PortOptionWords, DefaultsWithoutWords) {
    PortEnvironment env(nullptr);
    const Taken t = take({"file.dxf"}, PortKind::Sim);
    ASSERT_TRUE(t.options.has_value());
    EXPECT_EQ(t.options->kind, PortKind::Sim);
    EXPECT_TRUE(t.options->sim_3bc && t.options->sim_378 && t.options->sim_278);
    EXPECT_TRUE(t.options->trace_path.isEmpty());
    EXPECT_THAT(t.rest, ElementsAre("file.dxf"));
}

TEST(PortOptionWords, WordsAfterDoubleDashAreNotOptions) {
    PortEnvironment env(nullptr);
    const Taken t = take({"--", "--port=sim"});
    ASSERT_TRUE(t.options.has_value());
    EXPECT_EQ(t.options->kind, PortKind::Auto);
    EXPECT_THAT(t.rest, ElementsAre("--", "--port=sim"));
}

TEST(PortOptionWords, BadOrMissingValuesGiveAnError) {
    PortEnvironment env(nullptr);
    for (const QStringList& arguments :
         {QStringList{"--port=lpt1"}, QStringList{"--port"}, QStringList{"--trace"},
          QStringList{"--trace="}, QStringList{"--sim-ports=3bc,999"},
          QStringList{"--port", "Sim"}}) {
        const Taken t = take(arguments);
        EXPECT_FALSE(t.options.has_value()) << arguments.join(' ').toStdString();
        EXPECT_FALSE(t.error.isEmpty()) << arguments.join(' ').toStdString();
    }
}

TEST(PortOptionWords, EnvironmentChoosesWhenTheCommandLineDoesNot) {
    {
        PortEnvironment env("sim");
        EXPECT_EQ(take({}, PortKind::Auto).options->kind, PortKind::Sim);
        EXPECT_EQ(take({"--port=ppdev"}).options->kind, PortKind::Ppdev);
    }
    {
        PortEnvironment env("nonsense");
        const Taken t = take({});
        EXPECT_FALSE(t.options.has_value());
        EXPECT_TRUE(t.error.contains(QStringLiteral("OSTREL_PORT")));
        // A good --port makes the variable irrelevant.
        EXPECT_TRUE(take({"--port=sim"}).options.has_value());
    }
}

TEST(MakePortBackend, SimulatedMachineWithTheConfiguredPorts) {
    PortOptions options;
    options.kind = PortKind::Sim;
    options.sim_378 = false;
    std::unique_ptr<PortBackend> backend = make_port_backend(options);
    ASSERT_NE(backend, nullptr);
    EXPECT_TRUE(backend->is_open());
    SimBackend* sim = find_sim_backend(backend.get());
    ASSERT_NE(sim, nullptr);
    EXPECT_TRUE(sim->port_exists(PORT_3BC));
    EXPECT_FALSE(sim->port_exists(PORT_378));
    EXPECT_TRUE(sim->port_exists(PORT_278));
}

}  // namespace
}  // namespace ostrel
