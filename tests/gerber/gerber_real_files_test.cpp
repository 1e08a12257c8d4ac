// Every Gerber and drill file of the shared test data: apertures, preview, and both jobs on the
// simulated machine until the file ends or the tool first leaves the travel area.
#include "core/operation_abandoned.h"
#include "gerber/gerber_page.h"
#include "tests/gerber/gerber_test_support.h"
#include "tests/support/shared_testdata.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <map>
#include <optional>

namespace ostrel {
namespace {

using testing::GerberRig;

// What a plain "%ADDnnC,a*%" or "%ADDnnR,aXb*%" line defines, read with a pattern rather than by
// positions: the character after the comma is never read, the digits of each size over 100 are
// its value, and the last definition of a D-code wins; a D-code last defined some other way is
// not checked.
struct Expected {
    double shape = 0;
    double size[4] = {0, 0, 0, 0};
};
std::map<int, std::optional<Expected>> expected_apertures(const QString& path) {
    static const QRegularExpression plain(
        QStringLiteral(R"(^%ADD(\d\d)([CR]),.(\d*\.?\d*)(?:X(\d*\.?\d*))?(?:X(\d*\.?\d*))?\*%$)"));
    static const QRegularExpression any(QStringLiteral(R"(^%ADD(\d\d))"));
    std::map<int, std::optional<Expected>> result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).remove(u'\r');
        const auto m = plain.match(line);
        if (m.hasMatch()) {
            Expected e;
            e.shape = m.captured(2) == u"C" ? 1.0 : 2.0;
            for (int k = 1; k <= 3; ++k) {
                const QString digits = m.captured(2 + k).remove(u'.');
                e.size[k] = digits.isEmpty() ? 0 : digits.toDouble() / 100;
            }
            result[m.captured(1).toInt()] = e;
        } else if (const auto d = any.match(line); d.hasMatch()) {
            result[d.captured(1).toInt()] = std::nullopt;
        }
    }
    return result;
}

class GerberRealFiles : public ::testing::Test {
protected:
    void SetUp() override {
        files = testing::shared_testdata_files({"gerber", "drill"});
        if (files.isEmpty()) {
            GTEST_SKIP() << testing::no_shared_testdata({"gerber", "drill"}).toStdString();
        }
    }
    QStringList files;
};

// The machine for long real jobs: coarse steps (10 mm in X and Y, 0.5 mm in Z), no write log, and
// an operator who answers the first travel-limit warning with a stop. A move that is stopped
// still runs its passes out without stepping, so its length in steps costs time even then.
void prepare(GerberRig& rig) {
    MachineState& s = rig.machine.state();
    s.mm_per_step = {0, 10, 10, 0.5};
    rig.sim->keep_write_log(false);
    rig.op.on_message = [&s](const testing::RecordedMessage& m) {
        if (m.kind == MessageKind::LimitWarning) {
            s.stop_requested = true;
        }
    };
}

// The motors made every step the engine counted, and no step was lost.
void expect_motors_followed(const GerberRig& rig) {
    const auto& totals = rig.engine.totals();
    for (Axis axis : {AXIS_X, AXIS_Y, AXIS_Z}) {
        EXPECT_EQ(rig.motors().forward_steps(axis), totals.forward_steps[axis]) << axis;
        EXPECT_EQ(rig.motors().backward_steps(axis), totals.backward_steps[axis]) << axis;
        EXPECT_EQ(rig.motors().faults(axis), 0) << axis;
    }
}

TEST_F(GerberRealFiles, AperturesAreTheSizesTheDefinitionsGive) {
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        GerberRig rig;
        rig.use_gerber_file(path);
        rig.gerber.load_apertures();
        EXPECT_TRUE(rig.op.messages.empty());
        int checked = 0;
        for (const auto& [d, e] : expected_apertures(path)) {
            if (!e) {
                continue;
            }
            const Aperture* entry = rig.gerber.aperture_table().entry(d);
            if (d == 0) {
                EXPECT_EQ(entry, nullptr);
                continue;
            }
            ASSERT_NE(entry, nullptr) << d;
            EXPECT_EQ(entry->shape, e->shape) << "D" << d;
            for (int k = 1; k <= 3; ++k) {
                EXPECT_DOUBLE_EQ(entry->size[k], e->size[k]) << "D" << d << " size " << k;
            }
            ++checked;
        }
        if (path.contains(u"/gerber/")) {
            EXPECT_GT(checked, 0) << "no plain circle or rectangle definition was checked";
        } else {
            EXPECT_EQ(rig.gerber.grid().cell(1, 0), QString());  // drill files define none
        }
    }
}

TEST_F(GerberRealFiles, PreviewAndBothJobsRunToTheirEnd) {
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        GerberRig rig;
        prepare(rig);
        rig.use_gerber_file(path);
        rig.gerber.load_apertures();

        ImagePicture picture(QSize(387, 320));
        testing::FakeFileView view(picture);
        rig.gerber.set_file_view(&view);
        rig.gerber.show_gerber_preview(view);
        const double scale = rig.registers().view_scale;
        EXPECT_TRUE(std::isfinite(scale) && scale > 0) << scale;
        EXPECT_TRUE(rig.op.messages.empty());

        rig.buttons.run_draw_job();
        EXPECT_FALSE(rig.machine.state().stop_requested);
        rig.buttons.run_drill_job();
        EXPECT_FALSE(rig.machine.busy());
        for (const auto& m : rig.op.messages) {
            EXPECT_TRUE(m.kind == MessageKind::LimitWarning ||
                        m.kind == MessageKind::JobBeyondLimits)
                << m.text.toStdString();
        }
        expect_motors_followed(rig);
    }
}

}  // namespace
}  // namespace ostrel
