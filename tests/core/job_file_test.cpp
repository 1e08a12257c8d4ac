// Job files: the missing-file notice, and the line reader under each rule for CRs and long lines.
#include "core/job_file.h"
#include "core/job_file_lines.h"
#include "core/operation_abandoned.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>
#include <QFile>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {
namespace {

using namespace std::string_view_literals;
using testing::TempFolder;
using Cr = LineRules::CarriageReturn;
using Long = LineRules::LongLine;

struct ReadLine {
    std::string text;
    bool cut = false;
    bool operator==(const ReadLine&) const = default;
};

void PrintTo(const ReadLine& line, std::ostream* out) {
    *out << (line.cut ? "cut " : "") << line.text.size() << " bytes \"" << line.text.substr(0, 20)
         << "\"";
}

// A descriptor reading text, as a file would.
int memory_file(std::string_view text) {
    const int fd = memfd_create("lines", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()) ||
        ::lseek(fd, 0, SEEK_SET) != 0) {
        ADD_FAILURE() << "no memory file";
    }
    return fd;
}

std::vector<ReadLine> read_all(std::string_view text, LineRules rules, std::size_t block,
                               std::size_t longest_line = JobFileLineReader::kLongestLine) {
    JobFileLineReader reader(memory_file(text), QStringLiteral("t"), rules, block, longest_line);
    std::vector<ReadLine> lines;
    JobFileLineReader::Line line;
    while (reader.next(line)) {
        lines.push_back({std::string(line.text), line.cut});
    }
    return lines;
}

// What a reader should hand out for lines short enough for any buffer, told byte by byte.
std::vector<ReadLine> expected_lines(std::string_view text, Cr cr) {
    std::vector<ReadLine> lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && cr == Cr::EndsLine)) {
            lines.push_back({line});
            line.clear();
            open = false;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            open = true;
            if (text[i] != '\r') {
                line += text[i];
            }
        }
    }
    if (open) {
        lines.push_back({line});
    }
    return lines;
}

constexpr LineRules kAllRules[] = {
    {Cr::Dropped, Long::SkippedKeepingPrefix},
    {Cr::Dropped, Long::GrownThenRefused},
    {Cr::EndsLine, Long::SkippedKeepingPrefix},
    {Cr::EndsLine, Long::GrownThenRefused},
};

std::string rules_name(LineRules rules) {
    return std::string(rules.carriage_return == Cr::Dropped ? "CR dropped" : "CR ends line") +
           (rules.long_line == Long::SkippedKeepingPrefix ? ", long skipped" : ", long grown");
}

TEST(JobFileLineReader, EveryRuleReadsTheSameLinesThroughAnyBlock) {
    // Every line here is shorter than the kept prefix, so that one skipped for filling a small
    // buffer still comes whole.
    const std::string_view texts[] = {
        ""sv,
        "\n"sv,
        "\r"sv,
        "\r\n"sv,
        "\n\r"sv,
        "no end"sv,
        "a\rb\r\nc\n\rd"sv,
        "x\r\r\n\r\ny\r"sv,
        "\0\0\n\0\r\0\r\n\0"sv,
        "abcdefghijklmn\r\nopqrstuvwxyz01\rABCDEFGHIJKLMNO\n"sv,
    };
    for (const LineRules rules : kAllRules) {
        for (const std::string_view text : texts) {
            const std::vector<ReadLine> expected = expected_lines(text, rules.carriage_return);
            for (std::size_t block = 1; block <= 20; ++block) {
                EXPECT_EQ(read_all(text, rules, block), expected)
                    << rules_name(rules) << ", block " << block << ", text \"" << text << "\"";
            }
        }
    }
}

TEST(JobFileLineReader, LinesFillingTheBufferAreSkippedKeepingTheirStartUnderEitherCrRule) {
    // The long line's CR ends the last read of it with blocks of 20 and 1000, leaving its LF to
    // the next; a line of exactly the kept length is skipped but whole.
    const std::string x(4999, 'x');
    const std::string y(JobFileLineReader::kKeptPrefix, 'y');
    const std::string text = "a\n" + x + "\r\n" + y + "\nb";
    const std::vector<ReadLine> expected = {
        {"a"}, {x.substr(0, JobFileLineReader::kKeptPrefix), true}, {y}, {"b"}};
    for (const Cr cr : {Cr::Dropped, Cr::EndsLine}) {
        for (std::size_t block : {16, 20, 64, 1000, 4096}) {
            EXPECT_EQ(read_all(text, {cr, Long::SkippedKeepingPrefix}, block), expected)
                << rules_name({cr, Long::SkippedKeepingPrefix}) << ", block " << block;
        }
    }
}

TEST(JobFileLineReader, GrownLinesComeWholeAndAreRefusedOnceAReadEndsBeyondTheLongest) {
    std::string long_line;
    for (int i = 0; i < 50; ++i) {
        long_line += std::string(99, 'z') + "\r";
    }
    const std::string text = "a\r\n" + long_line + "\r\nb\n";
    for (std::size_t block : {1, 7, 64}) {
        EXPECT_EQ(read_all(text, {Cr::Dropped, Long::GrownThenRefused}, block),
                  (std::vector<ReadLine>{{"a"}, {std::string(4950, 'z')}, {"b"}}))
            << block;
    }

    // Reads of 8 bytes and lines of at most 30: a line is refused only when a read ends past 30
    // bytes of it without its end. A CR ends a line or, dropped, still counts as one of its bytes.
    struct Case {
        std::size_t length;
        const char* rest;  // what follows the line in the file
        bool refused_cr_ends;
        bool refused_cr_dropped;
    };
    const Case cases[] = {
        {30, "\nnext\n", false, false}, {31, "\nnext\n", false, false},
        {32, "\nnext\n", true, true},   {30, "", false, false},
        {31, "", true, true},           {31, "\r\nnext\n", false, true},
    };
    for (const Cr cr : {Cr::EndsLine, Cr::Dropped}) {
        for (const Case& c : cases) {
            const std::string line(c.length, '#');
            JobFileLineReader reader(memory_file(line + c.rest), QStringLiteral("t.gbr"),
                                     {cr, Long::GrownThenRefused}, 8, 30);
            const std::string name = rules_name({cr, Long::GrownThenRefused}) + ", " +
                                     std::to_string(c.length) + " bytes, then \"" + c.rest + "\"";
            JobFileLineReader::Line read;
            if (!(cr == Cr::EndsLine ? c.refused_cr_ends : c.refused_cr_dropped)) {
                ASSERT_TRUE(reader.next(read)) << name;
                EXPECT_EQ(read.text, line) << name;
                continue;
            }
            try {
                reader.next(read);
                ADD_FAILURE() << name << ": read, not refused";
            } catch (const OperationAbandoned& e) {
                EXPECT_EQ(e.message(), QStringLiteral("Не удаётся прочитать файл \"t.gbr\": "
                                                      "строка длиннее 30 байт: это не текстовый "
                                                      "файл"))
                    << name;
            }
        }
    }
}

TEST(JobFileLineReader, AFileThatCantBeReadIsNamedWithTheSystemsReasonUnderEitherRules) {
    // Reading the process's own memory at address 0 fails with an I/O error, root or not.
    const QString mem = QStringLiteral("/proc/self/mem");
    if (!QFile::exists(mem)) {
        GTEST_SKIP() << "no /proc/self/mem to give a read error on this system";
    }
    for (const LineRules rules : {kDxfLineRules, kGerberLineRules}) {
        JobFileLineReader reader(mem, rules);
        JobFileLineReader::Line line;
        try {
            reader.next(line);
            ADD_FAILURE() << rules_name(rules) << ": read";
        } catch (const OperationAbandoned& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Не удаётся прочитать файл \"%1\": %2")
                                       .arg(mem, qt_error_string(EIO)));
        }
    }
}

TEST(JobFileLineReader, AWindowNeverStartsWithTheLfOfALineEndedAtItsCr) {
    // Reads of 3 bytes: "ab\r" ends the first, so the LF comes with the second.
    JobFileLineReader reader(memory_file("ab\r\ncd\n"), QStringLiteral("t"), kGerberLineRules, 3);
    JobFileLineReader::Line line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line.text, "ab");
    EXPECT_EQ(reader.window(), "");
    ASSERT_TRUE(reader.refill());
    EXPECT_EQ(reader.window(), "cd");
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line.text, "cd");
    EXPECT_FALSE(reader.next(line));
}

TEST(JobFileLineReader, LineEndsOfEveryKindAcrossBlockEnds) {
    TempFolder folder;
    const QString path = folder.write(QStringLiteral("ends.gbr"),
                                      QByteArray("G54D10*\r\nX1\rY2\n\r\n%ADD\0\x01*\nlast", 29));
    const std::vector<std::string> expected = {
        "G54D10*", "X1", "Y2", "", std::string("%ADD\0\x01*", 7), "last"};
    for (std::size_t block : {1, 2, 3, 7, 64}) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        ASSERT_GE(fd, 0);
        JobFileLineReader reader(fd, path, kGerberLineRules, block);
        std::vector<std::string> lines;
        JobFileLineReader::Line line;
        while (reader.next(line)) {
            lines.emplace_back(line.text);
        }
        EXPECT_EQ(lines, expected) << "block " << block;
    }
}

TEST(JobFileLineReader, ALineBeyondTheLongestIsRefused) {
    TempFolder folder;
    const QString path = folder.write(QStringLiteral("binary.gbr"),
                                      "X1Y1D02*\n" + QByteArray(40, '\x7f') + "\nY2\n");
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    JobFileLineReader reader(fd, path, kGerberLineRules, 8, 30);
    JobFileLineReader::Line line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line.text, "X1Y1D02*");
    EXPECT_THROW(reader.next(line), OperationAbandoned);
}

TEST(JobFileExists, AMissingFileIsToldAndTheFocusGoesToTheFileName) {
    TempFolder folder;
    testing::RecordingOperator op;
    EXPECT_FALSE(job_file_exists(folder.path("none.dxf"), op, Field::DxfFile));
    EXPECT_FALSE(job_file_exists(QString(), op, Field::DxfFile));
    ASSERT_EQ(op.messages.size(), 2u);
    EXPECT_EQ(op.messages[0].text, QStringLiteral("такого файла не существует"));
    EXPECT_EQ(op.focused, (std::vector<Field>{Field::DxfFile, Field::DxfFile}));
    EXPECT_TRUE(job_file_exists(folder.write("here.dxf", ""), op, Field::DxfFile));
}

TEST(JobFileExists, WhatIsThereButCannotBeReachedIsToldWithItsReason) {
    TempFolder folder;
    const QString loop = folder.path("loop.dxf");
    const QString dangling = folder.path("dangling.dxf");
    ASSERT_TRUE(QFile::link(loop, loop) && QFile::link(folder.path("gone.dxf"), dangling));
    // What a name that is no UTF-8 becomes on its way through the program.
    const QString undecodable = folder.path(QStringLiteral("\uFFFD.gbr"));
    for (const QString& path : {loop, dangling, undecodable}) {
        testing::RecordingOperator op;
        EXPECT_FALSE(job_file_exists(path, op, Field::GerberFile));
        ASSERT_EQ(op.messages.size(), 1u);
        EXPECT_TRUE(op.messages[0].text.contains(path)) << op.messages[0].text.toStdString();
        EXPECT_EQ(op.focused, std::vector<Field>{Field::GerberFile});
    }
}

}  // namespace
}  // namespace ostrel
