// Reading a job file line by line: DXF drawings, Gerber and drill files alike.
#pragma once

#include <QString>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace ostrel {

// What a line reader makes of a CR and of a line too long for its buffer. Each kind of job file
// came to the machine from its own writers, and each is read as those writers meant it.
struct LineRules {
    enum class CarriageReturn {
        // Dropped from the text wherever it stands; only an LF ends a line (a CR LF by its LF).
        Dropped,
        // Ends a line, alone or as the start of a CR LF.
        EndsLine,
    };
    enum class LongLine {
        // The buffer keeps its size: a line that fills it is read through to its end, keeping
        // only its first JobFileLineReader::kKeptPrefix bytes, and handed out flagged cut.
        SkippedKeepingPrefix,
        // The buffer grows to hold the line, up to the longest allowed; a longer one abandons
        // the reading (a binary file without line ends is not read whole into memory).
        GrownThenRefused,
    };

    CarriageReturn carriage_return;
    LongLine long_line;
};

// DXF: a stray CR inside a group is a writer's slip, not a line end; a line of megabytes between
// entities is of no use to the machine and passed over.
inline constexpr LineRules kDxfLineRules{LineRules::CarriageReturn::Dropped,
                                         LineRules::LongLine::SkippedKeepingPrefix};
// Gerber and drill files come from every kind of system, so LF, CR LF and a lone CR each end a
// line; every line is wanted whole.
inline constexpr LineRules kGerberLineRules{LineRules::CarriageReturn::EndsLine,
                                            LineRules::LongLine::GrownThenRefused};

// Text lines of a job file, read through one buffer under the given rules. The end of a line is
// not part of it. Lines come back as views into the buffer, so reading costs no allocation per
// line, and memory never grows with the file. Bytes are handed on as they are (but for CRs the
// rules drop): NUL and other control bytes are characters like any other.
// A caller may also scan the buffered bytes itself (window, consume, refill) and come back to
// next() for whatever it leaves: both ways read the same stream.
class JobFileLineReader {
public:
    // The buffer of a reader that skips over-long lines.
    static constexpr std::size_t kFixedBuffer = 256 * 1024;
    // Each read of a reader that grows its buffer for a long line.
    static constexpr std::size_t kBlock = 64 * 1024;
    static constexpr std::size_t kKeptPrefix = 4096;
    // No job file has lines anywhere near this long; a longer one is refused where the rules say
    // so.
    static constexpr std::size_t kLongestLine = 64 * 1024 * 1024;
    // Readable bytes past the end of the buffer, so that a scan may load whole 64-byte blocks
    // without testing for the buffer's end before each load. They hold no data.
    static constexpr std::size_t kSlack = 64;

    struct Line {
        std::string_view text;
        // True when text holds only the beginning of a line longer than kKeptPrefix that did
        // not fit the buffer.
        bool cut = false;
    };

    // Opens the file. Throws OperationAbandoned naming the file and the reason when it can't be
    // opened, is a folder, or is no regular file (a device or a pipe might never end).
    JobFileLineReader(const QString& path, LineRules rules);
    // Reads from an open descriptor, which it takes over; path names the file in messages.
    // block is the buffer's size (at least 16 bytes) where over-long lines are skipped, each
    // read filling what is free of it; where they grow, it is the size of each read (at least one
    // byte). Tests and fuzzing choose small blocks to cross their ends often.
    JobFileLineReader(int fd, QString path, LineRules rules, std::size_t block,
                      std::size_t longest_line = kLongestLine);
    ~JobFileLineReader();
    JobFileLineReader(const JobFileLineReader&) = delete;
    JobFileLineReader& operator=(const JobFileLineReader&) = delete;

    // The block a reader under these rules takes unless told otherwise.
    static constexpr std::size_t default_block(LineRules rules) {
        return rules.long_line == LineRules::LongLine::SkippedKeepingPrefix ? kFixedBuffer : kBlock;
    }

    // The next line, or false at the end of the file. The view stays valid until the next call.
    // A failing read throws OperationAbandoned naming the file and the system's reason; so does
    // a line longer than the longest allowed, where the rules refuse one.
    bool next(Line& line);

    // The bytes read from the file and not yet handed out, followed by at least kSlack
    // readable bytes that belong to no line.
    std::string_view window() const { return {buffer_.get() + pos_, end_ - pos_}; }
    // Hands out the first n bytes of the window (which end at a line end) without next().
    void consume(std::size_t n) { pos_ += n; }
    // Moves the window to the buffer's start and reads more of the file behind it. False when
    // nothing more can come: the file has ended, or the window already holds all a line may (the
    // whole buffer where over-long lines are skipped, more than the longest line where they are
    // refused).
    bool refill();

private:
    bool skips_long_lines() const {
        return rules_.long_line == LineRules::LongLine::SkippedKeepingPrefix;
    }
    // Inline, defined where they are called, for they run once a line: out of line, as a
    // position-independent build would leave them, they would cost a good share of the reading.
    inline char* find_line_end(char* from, char* to) const;
    inline void pass_line_end(const char* stop);
    inline std::size_t text_length(char* start, std::size_t length);
    void compact();
    void make_room();
    void fill(std::size_t request);
    std::size_t drop_carriage_returns(char* start, std::size_t length);
    Line skip_overlong();
    [[noreturn]] void refuse_long_line() const;

    int fd_;
    QString path_;
    LineRules rules_;
    std::size_t block_;
    std::size_t longest_line_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    // One past the last CR read into the buffer, 0 for none: a line starting at or after it
    // holds no CR, which spares a file written with LF alone a CR search per line.
    std::size_t cr_end_ = 0;
    bool eof_ = false;
    // The last line ended at a CR that ended the buffered bytes: an LF read next belongs to it.
    bool skip_lf_ = false;
    std::string prefix_;
};

}  // namespace ostrel
