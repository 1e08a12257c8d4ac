// Port names and the pin-test byte; how the real back ends find their ports.
#include "port/port_selection.h"
#include "port/direct_backend.h"
#include "port/ppdev_backend.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QFile>

#include <cerrno>

namespace ostrel {
namespace {

TEST(PortName, ExactNamesOnlyEverythingElseIs278) {
    EXPECT_EQ(port_id_for_name(QStringLiteral("$3BC")), PORT_3BC);
    EXPECT_EQ(port_id_for_name(QStringLiteral("$378")), PORT_378);
    EXPECT_EQ(port_id_for_name(QStringLiteral("$278")), PORT_278);
    for (const char* other : {"$3bc", "", "3BC", "$3BC ", "$0378", "$379"}) {
        EXPECT_EQ(port_id_for_name(QString::fromLatin1(other)), PORT_278) << other;
    }
}

TEST(PortName, AddedPortsAreNamedByTheirBaseAddressInTheClassicStyle) {
    const std::vector<AddedPort> added = {{0x40, 0xD010}, {0x50, 0xE000}};
    const struct {
        const char* name;
        std::uint8_t id;
    } cases[] = {{"$D010", 0x40}, {"$E000", 0x50}, {"$3BC", PORT_3BC}, {"$278", PORT_278}};
    for (const auto& c : cases) {
        EXPECT_EQ(port_id_for_name(QLatin1String(c.name), added), c.id) << c.name;
        EXPECT_EQ(port_name(c.id, added), QLatin1String(c.name));
    }
    for (const char* other : {"$d010", "$D01", "D010", "$F000"}) {
        EXPECT_EQ(port_id_for_name(QString::fromLatin1(other), added), PORT_278) << other;
    }
    // Without the list an added port's name is typed text, as it always was.
    EXPECT_EQ(port_id_for_name(QStringLiteral("$D010")), PORT_278);
}

TEST(PinTest, CheckedBoxesAreTheBitsFromTheLeft) {
    EXPECT_EQ(pin_test_value({}), 0);
    EXPECT_EQ(pin_test_value({true, true, true, true, true, true, true, true}), 255);
    EXPECT_EQ(pin_test_value({true, false, false, false, false, false, false, false}), 1);
    EXPECT_EQ(pin_test_value({false, false, false, false, false, false, false, true}), 128);
    EXPECT_EQ(pin_test_value({false, true, false, false, true, false, false, false}), 2 + 16);
}

TEST(DirectAddress, PortNumberPicksTheBaseOffsetKeepsThreeBits) {
    EXPECT_EQ(direct_io_address(0x10), 0x3BC);
    EXPECT_EQ(direct_io_address(0x20), 0x378);
    EXPECT_EQ(direct_io_address(0x30), 0x278);
    EXPECT_EQ(direct_io_address(0x12), 0x3BE);
    EXPECT_EQ(direct_io_address(0x21), 0x379);
    for (unsigned number : {0u, 4u, 5u, 9u, 15u}) {
        EXPECT_EQ(direct_io_address(static_cast<std::uint8_t>(number << 4 | 2)), 0x27A) << number;
    }
    EXPECT_EQ(direct_io_address(0x2F), 0x37F);  // bit 3 is not part of the offset
    EXPECT_EQ(direct_io_address(0x18), 0x3BC);
}

TEST(PpdevBaseAddress, KernelTextAndTheThreeStandardBases) {
    EXPECT_EQ(parse_base_addr("888\t1912\n"), 888u);
    EXPECT_EQ(parse_base_addr("0x3bc\n"), 0x3BCu);
    EXPECT_FALSE(parse_base_addr("").has_value());
    EXPECT_FALSE(parse_base_addr("\n").has_value());
    EXPECT_FALSE(parse_base_addr("base").has_value());
    EXPECT_EQ(port_for_base_address(0x3BC), PORT_3BC);
    EXPECT_EQ(port_for_base_address(0x378), PORT_378);
    EXPECT_EQ(port_for_base_address(0x278), PORT_278);
    EXPECT_FALSE(port_for_base_address(0xD000).has_value());
}

// A fake /proc/sys/dev/parport and /dev: base-addr files only, never a device.
class FakeParports {
public:
    FakeParports() {
        root_.make_folder(QStringLiteral("proc"));
        root_.make_folder(QStringLiteral("dev"));
    }
    void add(int n, const QByteArray& base_addr) {
        root_.write(QStringLiteral("proc/parport%1/base-addr").arg(n), base_addr);
    }
    QString proc() const { return root_.path(QStringLiteral("proc")); }
    QString dev() const { return root_.path(QStringLiteral("dev")); }

private:
    testing::TempFolder root_;
};

TEST(PpdevBackend, EachIdentifierFindsTheParportAtItsBaseAddress) {
    FakeParports fake;
    fake.add(0, "888\t1912\n");  // 0x378
    fake.add(1, "53248\t0\n");   // a PCIe card at 0xD000: the first added port
    fake.add(3, "632\t1656\n");  // 0x278
    fake.add(5, "888\t1912\n");  // a second port claiming 0x378: the first one wins
    fake.add(6, "0xe000\n");     // a second card
    fake.add(7, "53248\n");      // and the first card again: still one port
    PpdevBackend backend(fake.proc(), fake.dev());
    EXPECT_EQ(backend.added_ports(),
              (std::vector<AddedPort>{{FIRST_ADDED_PORT, 0xD000}, {0x50, 0xE000}}));
    EXPECT_EQ(backend.device_path(FIRST_ADDED_PORT), fake.dev() + QStringLiteral("/parport1"));
    EXPECT_EQ(backend.device_path(0x50), fake.dev() + QStringLiteral("/parport6"));
    EXPECT_EQ(backend.device_path(PORT_378), fake.dev() + QStringLiteral("/parport0"));
    EXPECT_EQ(backend.device_path(PORT_278), fake.dev() + QStringLiteral("/parport3"));
    EXPECT_TRUE(backend.device_path(PORT_3BC).isEmpty());
    // The device files are missing, so nothing is open.
    EXPECT_FALSE(backend.is_open());
    EXPECT_EQ(backend.open_error(), ENOENT);
    std::uint8_t value = 0;
    EXPECT_FALSE(backend.read_register(0x20, value));
    EXPECT_FALSE(backend.write_register(0x20, 1));
}

TEST(PpdevBackend, NoParallelPortAtAllIsENOENT) {
    FakeParports fake;
    PpdevBackend backend(fake.proc(), fake.dev());
    EXPECT_FALSE(backend.is_open());
    EXPECT_EQ(backend.open_error(), ENOENT);
    PpdevBackend missing_root(fake.proc() + QStringLiteral("/nowhere"), fake.dev());
    EXPECT_EQ(missing_root.open_error(), ENOENT);
}

TEST(PpdevBackend, FileThatIsNoDeviceOpensButAccessesFail) {
    // A plain file stands where the device should be: it opens, but can't be claimed, and
    // that must show as failed accesses rather than as a port that reads zeros.
    FakeParports fake;
    fake.add(2, "956\t0\n");  // 0x3BC
    QFile plain(fake.dev() + QStringLiteral("/parport2"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    PpdevBackend backend(fake.proc(), fake.dev());
    EXPECT_TRUE(backend.is_open());
    EXPECT_EQ(backend.open_error(), 0);
    EXPECT_TRUE(backend.device_open(PORT_3BC));
    std::uint8_t value = 0x77;
    EXPECT_FALSE(backend.read_register(0x10, value));
    EXPECT_EQ(value, 0x77);
    EXPECT_FALSE(backend.write_register(0x10, 1));
    EXPECT_FALSE(backend.read_register(0x20, value));  // no device for 0x378
}

}  // namespace
}  // namespace ostrel
