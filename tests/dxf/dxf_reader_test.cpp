// The DXF reader: whole-line keys, kept value texts, number forms, line ends and bad files.
#include "dxf/dxf_reader.h"
#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "tests/dxf/dxf_test_files.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <QFile>
#include <array>
#include <vector>

namespace ostrel {
namespace {

using testing::dxf_file;
using testing::line_entity;
using testing::point_entity;

using Counts = std::array<std::int64_t, 4>;

std::vector<Counts> read_lines(const QString& path,
                               std::size_t buffer = JobFileLineReader::kFixedBuffer) {
    DxfReader pass(path, DxfReader::Entity::Line, buffer);
    std::vector<Counts> lines;
    while (const auto line = pass.next_line_entity()) {
        lines.push_back({line->q_x1, line->q_y1, line->q_x2, line->q_y2});
        EXPECT_EQ(line->x1, static_cast<double>(line->q_x1 / 10000.0L));
        EXPECT_EQ(line->y2, static_cast<double>(line->q_y2 / 10000.0L));
    }
    return lines;
}

// The message a pass over path is abandoned with, or "" when it reads to its end.
QString abandon_message(const QString& path) {
    try {
        read_lines(path);
    } catch (const OperationAbandoned& e) {
        return e.message();
    }
    return {};
}

class DxfReaderTest : public ::testing::Test {
protected:
    testing::TempFolder folder;
};

TEST_F(DxfReaderTest, ConsecutiveLinesAreAllFoundAndAnEntityWithoutEndCodesKeepsTheLastOnes) {
    const QByteArray second_without_end =
        "LINE\n  5\n30\n  8\n0\n 10\n20.0\n 20\n0.0\n 30\n0.0\n  0\n";
    const QString path =
        folder.write("a.dxf", dxf_file(line_entity("0.0", "0.0", "10.0", "0.0") +
                                       second_without_end + line_entity("1", "2", "3", "4")));
    EXPECT_EQ(read_lines(path),
              (std::vector<Counts>{
                  {0, 0, 100000, 0}, {200000, 0, 100000, 0}, {10000, 20000, 30000, 40000}}));
}

TEST_F(DxfReaderTest, AFirstLineWithoutAStartXFailsWithAnEmptyText) {
    const QString path =
        folder.write("a.dxf", dxf_file("LINE\n  8\n0\n 20\n1.0\n 11\n2.0\n 21\n3.0\n  0\n"));
    EXPECT_EQ(abandon_message(path), QStringLiteral("'' is not a valid floating point value"));
}

TEST_F(DxfReaderTest, NumberFormsReadAsTheOperatorsNumbersDo) {
    const QString path =
        folder.write("a.dxf", dxf_file(line_entity("1.23456", "1,5", "  7.5  ", "1.25E+01") +
                                       line_entity("-0.00005", "0.00015", "\t-12", "+3.")));
    EXPECT_EQ(read_lines(path),
              (std::vector<Counts>{{12346, 15000, 75000, 125000}, {0, 2, -120000, 30000}}));
}

TEST_F(DxfReaderTest, ValuesThatAreNoNumberOrTooLargeAbandonWithTheCommaText) {
    struct Case {
        const char* value;
        QString message;
    };
    const Case cases[] = {
        {"1e400", "'1e400' is not a valid floating point value"},
        {"123456789012345678901234567890",
         "'123456789012345678901234567890' is not a valid "
         "floating point value"},
        {"1.5.2", "'1,5,2' is not a valid floating point value"},
        {"12 mm", "'12 mm' is not a valid floating point value"},
    };
    for (const Case& c : cases) {
        const QString path = folder.write("bad.dxf", dxf_file(line_entity("0", c.value, "1", "1")));
        EXPECT_EQ(abandon_message(path), c.message) << c.value;
    }
}

TEST_F(DxfReaderTest, QuickValueReadingAgreesWithTheGeneralRule) {
    const char* texts[] = {"0",
                           "-0",
                           "007.25",
                           "12345678901234.56785",
                           "123456789012345.5",
                           "99999999999999.99995",
                           "1,00005",
                           "1,00015",
                           "1,000050001",
                           "-2,00005",
                           ",5",
                           "5,",
                           ",",
                           "-",
                           "",
                           " \t",
                           "1 2",
                           "+-1",
                           "1e3",
                           "0,00004999",
                           "922337203685477,5807",
                           "922337203685477,5808",
                           "-922337203685477,5808",
                           "١"};
    for (const char* text : texts) {
        EXPECT_EQ(dxf_value_count(text), parse_ten_thousandths(QString::fromUtf8(text))) << text;
    }
}

TEST_F(DxfReaderTest, ValuesReadInAPassAreTheRulesReadingWithPointsAsCommas) {
    // Texts around the limits of the quick forms (a sign, eight integer digits, sixteen
    // characters, four decimals and the digits that round them), then many more from a fixed
    // sequence of digits, points, commas, signs and blanks.
    std::vector<QByteArray> texts = {"12345678.9",
                                     "123456789.5",
                                     "-1234567.12345678",
                                     "-1234567.1234567",
                                     "+0.00005",
                                     "0.00015",
                                     "0.000250000000001",
                                     "99999999.99995",
                                     "1.",
                                     ".5",
                                     "-,00005",
                                     "0012345678.00005",
                                     "1234567890123456",
                                     "12345678901234567"};
    std::uint32_t state = 12345;
    const auto next = [&state](std::uint32_t range) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % range;
    };
    const char others[] = ".,-+ 5";
    for (int i = 0; i < 4000; ++i) {
        QByteArray text;
        for (std::uint32_t length = next(20); length > 0; --length) {
            text += next(100) < 75 ? static_cast<char>('0' + next(10)) : others[next(6)];
        }
        texts.push_back(text);
    }
    QByteArray body;
    std::vector<Counts> expected;
    for (const QByteArray& text : texts) {
        const auto count = parse_ten_thousandths(dot_to_comma(QString::fromLatin1(text)));
        if (count) {
            body += line_entity(text.constData(), "0", "0", text.constData());
            expected.push_back({*count, 0, 0, *count});
        }
    }
    ASSERT_GT(expected.size(), 1000u);
    EXPECT_EQ(read_lines(folder.write("values.dxf", dxf_file(body))), expected);
}

TEST_F(DxfReaderTest, GroupCodesMustBeWrittenThreeWideAndAnEntityRunsToItsZero) {
    // Unpadded codes: the LINE is found, but neither its values nor its end are recognised.
    const QString unpadded = folder.write(
        "unpadded.dxf",
        "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n1.0\n20\n2.0\n11\n3.0\n21\n4.0\n0\n"
        "LINE\n8\n0\n10\n5.0\n20\n6.0\n11\n7.0\n21\n8.0\n0\nENDSEC\n0\nEOF\n");
    DxfReader pass(unpadded, DxfReader::Entity::Line);
    EXPECT_FALSE(pass.next_line_entity());
    EXPECT_TRUE(pass.cut_off());
    EXPECT_TRUE(pass.cut_off_message().contains(unpadded));
    // Told for what it is, with the mode that reads it.
    EXPECT_TRUE(pass.cut_off_message().contains("без ведущих пробелов"));
    EXPECT_TRUE(pass.cut_off_message().contains("стандартном режиме"));

    // A value line that reads like a code is taken for it while an entity is open.
    const QString fooled =
        folder.write("fooled.dxf", dxf_file("LINE\n  1\n 11\n99\n 10\n1\n 20\n2\n 21\n3\n  0\n"));
    EXPECT_EQ(read_lines(fooled), (std::vector<Counts>{{10000, 20000, 990000, 30000}}));
}

TEST_F(DxfReaderTest, LinesInBlockDefinitionsAndMarkersAnywhereAreRead) {
    const QByteArray blocks = "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB1\n  0\n" +
                              line_entity("1", "1", "2", "2") + "ENDBLK\n  0\nENDSEC\n";
    const QString path =
        folder.write("b.dxf", "  0\nSECTION\n  2\nHEADER\n  0\nENDSEC\n" + blocks +
                                  "  0\nSECTION\n  2\nENTITIES\n  0\n" +
                                  line_entity("3", "3", "4", "4") + "ENDSEC\n  0\nEOF\n");
    EXPECT_EQ(read_lines(path),
              (std::vector<Counts>{{10000, 10000, 20000, 20000}, {30000, 30000, 40000, 40000}}));
}

TEST_F(DxfReaderTest, PointAndLinePassesEachTakeTheirOwnEntityAndCodes) {
    const QString path = folder.write(
        "p.dxf", dxf_file(point_entity("1.5", "2.5") + line_entity("7", "7", "8", "8") +
                          "POINT\n  8\n0\n 11\n9\n 10\n3\n  0\n"));
    DxfReader points(path, DxfReader::Entity::Point);
    std::vector<std::pair<std::int64_t, std::int64_t>> seen;
    while (const auto p = points.next_point_entity()) {
        seen.emplace_back(p->q_x, p->q_y);
    }
    // The second POINT has no " 20": it keeps the first's Y; its " 11" is no code of a POINT.
    EXPECT_EQ(seen,
              (std::vector<std::pair<std::int64_t, std::int64_t>>{{15000, 25000}, {30000, 25000}}));
    EXPECT_EQ(read_lines(path), (std::vector<Counts>{{70000, 70000, 80000, 80000}}));
}

TEST_F(DxfReaderTest, LineEndsLfAndCrLfReadAlikeAndALoneCrIsDropped) {
    const QByteArray lf =
        dxf_file(line_entity("1", "2", "3", "4") + line_entity("5", "6", "7", "8"));
    QByteArray crlf = lf;
    crlf.replace("\n", "\r\n");
    const std::vector<Counts> expected = {{10000, 20000, 30000, 40000},
                                          {50000, 60000, 70000, 80000}};
    EXPECT_EQ(read_lines(folder.write("lf.dxf", lf)), expected);
    EXPECT_EQ(read_lines(folder.write("crlf.dxf", crlf)), expected);

    // A CR that no LF follows is no line end: dropped from the text, it joins what it split.
    QByteArray split = lf;
    split.replace("LINE\n", "LI\rNE\r\n");
    split.replace(" 10\n1\n", " 10\r\n1\r\r\n");
    EXPECT_EQ(read_lines(folder.write("split.dxf", split)), expected);

    // Lone CRs as the only line ends make the whole file one line: nothing is found.
    QByteArray cr = lf;
    cr.replace("\n", "\r");
    DxfReader pass(folder.write("cr.dxf", cr), DxfReader::Entity::Line);
    EXPECT_FALSE(pass.next_line_entity());
    EXPECT_FALSE(pass.cut_off());
}

TEST_F(DxfReaderTest, ASmallBufferReadsLinesAcrossItsRefillsTheSame) {
    QByteArray body;
    for (int i = 0; i < 40; ++i) {
        body += line_entity("1.25", "-2.5", "100.0001", "3");
    }
    QByteArray content = dxf_file(body);
    content.replace("\n", "\r\n");
    const QString path = folder.write("many.dxf", content);
    const std::vector<Counts> whole = read_lines(path);
    ASSERT_EQ(whole.size(), 40u);
    for (std::size_t buffer : {16, 17, 31, 64}) {
        EXPECT_EQ(read_lines(path, buffer), whole) << buffer;
    }
}

TEST_F(DxfReaderTest, AFileEndingInsideAnEntityEndsThePassAndDropsTheEntity) {
    const QByteArray one = line_entity("1", "2", "3", "4");
    const QByteArray cuts[] = {"LINE", "LINE\n", "LINE\n  8\n0\n 10\n5", "LINE\n  8\n0\n 10\n"};
    for (const QByteArray& cut : cuts) {
        const QString path = folder.write("cut.dxf", "  0\n" + one + cut);
        DxfReader pass(path, DxfReader::Entity::Line);
        ASSERT_TRUE(pass.next_line_entity()) << cut.constData();
        EXPECT_FALSE(pass.next_line_entity()) << cut.constData();
        EXPECT_TRUE(pass.cut_off()) << cut.constData();
        EXPECT_FALSE(pass.next_line_entity());
    }
}

TEST_F(DxfReaderTest, VeryLongLinesAreSkippedOrRefusedAsValues) {
    const QByteArray long_text(10 * 1024 * 1024, 'x');
    // Between entities, a 10 MB line is passed over.
    const QString between =
        folder.write("between.dxf", dxf_file(line_entity("1", "2", "3", "4") + "999\n" + long_text +
                                             "\n  0\n" + line_entity("5", "6", "7", "8")));
    EXPECT_EQ(read_lines(between, 4096).size(), 2u);

    // As a value it is no number; the message shows its beginning only.
    const QString value =
        folder.write("value.dxf", dxf_file(line_entity("1", long_text.constData(), "3", "4")));
    const QString message = abandon_message(value);
    EXPECT_TRUE(message.startsWith("'xxxx")) << message.left(200).toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("…' is not a valid floating point value")));
    EXPECT_LT(message.size(), 200);

    // A line of a megabyte of CRs around the marker is still the marker.
    const QByteArray crs(2 * 1024 * 1024, '\r');
    const QString hidden =
        folder.write("hidden.dxf", "  0\n" + crs + "LI" + crs +
                                       "NE\n  8\n0\n 10\n9\n 20\n8\n 11\n7\n 21\n6\n  0\n");
    EXPECT_EQ(read_lines(hidden, 64 * 1024), (std::vector<Counts>{{90000, 80000, 70000, 60000}}));
}

TEST_F(DxfReaderTest, FilesThatAreNoTextDxfAreRefusedNamingThem) {
    const QString binary =
        folder.write("bin.dxf", QByteArray("AutoCAD Binary DXF\r\n\x1a\0\0\0LINE\0", 28));
    EXPECT_TRUE(abandon_message(binary).contains(binary));
    EXPECT_TRUE(abandon_message(binary).contains(QStringLiteral("двоичный")));

    const QString zeros = folder.write("zeros.dxf", QByteArray(100000, '\0'));
    EXPECT_TRUE(abandon_message(zeros).contains(zeros));

    const QString dir = folder.make_folder("adir.dxf");
    EXPECT_EQ(
        abandon_message(dir),
        QStringLiteral("Не удаётся прочитать файл \"%1\": %2").arg(dir, qt_error_string(EISDIR)));

    const QString empty = folder.write("empty.dxf", "");
    EXPECT_EQ(read_lines(empty).size(), 0u);
}

TEST_F(DxfReaderTest, AFileThatCantBeReadIsNamedWithTheSystemsReason) {
    // Reading the process's own memory at address 0 fails with an I/O error, root or not.
    const QString mem = QStringLiteral("/proc/self/mem");
    if (!QFile::exists(mem)) {
        GTEST_SKIP() << "no /proc/self/mem to give a read error on this system";
    }
    EXPECT_EQ(
        abandon_message(mem),
        QStringLiteral("Не удаётся прочитать файл \"%1\": %2").arg(mem, qt_error_string(EIO)));
}

}  // namespace
}  // namespace ostrel
