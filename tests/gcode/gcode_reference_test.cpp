// The interpreter against LinuxCNC's standalone interpreter: the same canonical moves, in order,
// to a ten-thousandth of a millimetre, for every program of the corpus.
#include "gcode/gcode_interpreter.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>

namespace ostrel::testing {
namespace {

constexpr double kTolerance = 1e-4;
// rs274 prints four decimals in the program's unit, rounded: in inches that is half of 0.00254 mm
// off (a hair more, for the rounding of the rounding).
constexpr double kPrinted = 0.000051;

// One move as both interpreters give it, in millimetres from the file's origin.
struct Canonical {
    GcodeMove::Kind kind;
    Point3 to;
    PointMm centre;
    int turns = 0;
    double tolerance = kTolerance;  // mm
};

class Collect : public GcodeSink {
public:
    void take(const GcodeMove& m) override {
        if (m.kind == GcodeMove::Kind::Rapid || m.kind == GcodeMove::Kind::Feed ||
            m.kind == GcodeMove::Kind::Arc) {
            moves.push_back({m.kind, m.to, m.centre, m.turns});
        }
    }
    std::vector<Canonical> moves;
};

// rs274 -g prints each canonical call with its numbers in the program's units, before the
// G92 and G5x offsets, which it prints as calls of their own.
std::vector<Canonical> reference_moves(const QString& rs274, const QString& tools,
                                       const QString& file, QString& fault) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(rs274, {QStringLiteral("-t"), tools, QStringLiteral("-g"), file});
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        fault = QStringLiteral("rs274 did not finish");
        return {};
    }
    const QString output = QString::fromUtf8(process.readAll());
    static const QRegularExpression call(QStringLiteral("^\\s*\\d+ N\\S*\\s+(\\w+)\\((.*)\\)$"));
    double unit = 1;
    Point3 g92;
    Point3 g5x;
    Point3 at;
    std::vector<Canonical> moves;
    for (const QString& line : output.split(u'\n')) {
        const QRegularExpressionMatch m = call.match(line);
        if (!m.hasMatch()) {
            if (!line.isEmpty() && line != QLatin1String("executing")) {
                fault += line + u'\n';  // rs274 tells what it refused on lines of its own
            }
            continue;
        }
        const QString name = m.captured(1);
        std::vector<double> v;
        for (const QString& part : m.captured(2).split(u',')) {
            v.push_back(part.trimmed().toDouble());
        }
        const auto place = [&](double x, double y, double z) {
            return Point3{x * unit + g92.x + g5x.x, y * unit + g92.y + g5x.y,
                          z * unit + g92.z + g5x.z};
        };
        if (name == QLatin1String("USE_LENGTH_UNITS")) {
            unit = m.captured(2).contains(QLatin1String("INCHES")) ? 25.4 : 1;
        } else if (name == QLatin1String("SET_G92_OFFSET")) {
            g92 = {v[0] * unit, v[1] * unit, v[2] * unit};
        } else if (name == QLatin1String("SET_G5X_OFFSET")) {
            g5x = {v[1] * unit, v[2] * unit, v[3] * unit};
        } else if (name == QLatin1String("STRAIGHT_TRAVERSE") ||
                   name == QLatin1String("STRAIGHT_FEED")) {
            const Point3 to = place(v[0], v[1], v[2]);
            if (to != at) {  // a move that goes nowhere is no move
                moves.push_back({name == QLatin1String("STRAIGHT_FEED") ? GcodeMove::Kind::Feed
                                                                        : GcodeMove::Kind::Rapid,
                                 to,
                                 {},
                                 0,
                                 std::max(kTolerance, kPrinted * unit)});
            }
            at = to;
        } else if (name == QLatin1String("ARC_FEED")) {
            const Point3 to = place(v[0], v[1], v[5]);
            const Point3 centre = place(v[2], v[3], 0);
            moves.push_back({GcodeMove::Kind::Arc,
                             to,
                             {centre.x, centre.y},
                             static_cast<int>(v[4]),
                             std::max(kTolerance, kPrinted * unit)});
            at = to;
        }
    }
    return moves;
}

bool near(const Point3& a, const Point3& b, double tolerance) {
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.z - b.z) <= tolerance;
}

std::string shown(const Canonical& c) {
    const char* kinds[] = {"rapid", "feed", "arc"};
    std::string text = std::string(kinds[static_cast<int>(c.kind)]) + " " + std::to_string(c.to.x) +
                       " " + std::to_string(c.to.y) + " " + std::to_string(c.to.z);
    if (c.kind == GcodeMove::Kind::Arc) {
        text += " c " + std::to_string(c.centre.x) + " " + std::to_string(c.centre.y) + " t" +
                std::to_string(c.turns);
    }
    return text;
}

// The programs both interpreters run: the ones made here for every word the machine takes, and
// the real programs of CAM programs and LinuxCNC's examples that it takes (when the shared test
// data is there; the own programs are compared either way).
QStringList corpus() {
    QStringList files;
    const QDir own(QStringLiteral(OSTREL_SOURCE_DIR "/tests/gcode/programs"));
    for (const QString& name : own.entryList({QStringLiteral("*.ngc")}, QDir::Files)) {
        files.append(own.filePath(name));
    }
    for (const char* name :
         {"pcb2gcode_easy-sdr_drill.ngc", "pcb2gcode_easy-sdr_front.ngc",
          "pcb2gcode_easy-sdr_outline.ngc", "pcb2gcode_knot_back.ngc",
          "pcb2gcode_milldrill-units_drill.ngc", "pcb2gcode_multivibrator_milldrill.ngc",
          "linuxcnc-example_arcspiral.ngc"}) {
        const QString file = QStringLiteral(OSTREL_TESTDATA_DIR "/gcode/") + QLatin1String(name);
        if (QFileInfo::exists(file)) {
            files.append(file);
        }
    }
    return files;
}

TEST(GcodeReference, MovesMatchLinuxCncInterpreter) {
    const QString rs274 = QStandardPaths::findExecutable(QStringLiteral("rs274"));
    if (rs274.isEmpty()) {
        GTEST_SKIP() << "LinuxCNC's rs274 is not installed (Debian package linuxcnc-uspace; "
                        "make gcode-reference installs it)";
    }
    // rs274 refuses a tool change to a tool its table does not hold.
    QByteArray table;
    for (int tool = 1; tool <= 99; ++tool) {
        table += QStringLiteral("T%1 P%1 D1\n").arg(tool).toUtf8();
    }
    const TempFolder folder;
    const QString tools = folder.write(QStringLiteral("tools.tbl"), table);
    for (const QString& file : corpus()) {
        SCOPED_TRACE(file.toStdString());
        QString fault;
        const std::vector<Canonical> expected = reference_moves(rs274, tools, file, fault);
        ASSERT_TRUE(fault.isEmpty()) << fault.toStdString();
        Collect ours;
        run_gcode_file(file, ours, {});
        ASSERT_EQ(ours.moves.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const Canonical& a = ours.moves[i];
            const Canonical& b = expected[i];
            const bool same =
                a.kind == b.kind && near(a.to, b.to, b.tolerance) &&
                (a.kind != GcodeMove::Kind::Arc ||
                 (near({a.centre.x, a.centre.y, 0}, {b.centre.x, b.centre.y, 0}, b.tolerance) &&
                  a.turns == b.turns));
            ASSERT_TRUE(same) << "move " << i << ": ours " << shown(a) << ", rs274 " << shown(b);
        }
        EXPECT_GT(expected.size(), 10u);
    }
}

}  // namespace
}  // namespace ostrel::testing
