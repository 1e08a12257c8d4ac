// Reading a Gerber or drill file line by line, as the aperture loader, the preview and the jobs do.
#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace ostrel {

// Text lines of a job file. A line ends at LF, at CR LF or at a lone CR (files from every kind of
// system reach the machine), and the end is not part of the line. The file is read in blocks, so
// memory grows with the longest line, never with the file. Bytes are handed on as they are: NUL
// and other control bytes are characters like any other.
class JobFileLineReader {
public:
    static constexpr std::size_t kBlock = 64 * 1024;
    // No job file has lines anywhere near this long; a file that does (a binary file without
    // line ends) is refused rather than read whole into memory.
    static constexpr std::size_t kLongestLine = 64 * 1024 * 1024;

    // Opens the file. Throws OperationAbandoned naming the file and the reason when it can't be
    // opened, is a folder, or is no regular file (a device or a pipe might never end).
    explicit JobFileLineReader(const QString& path);
    // Reads from an open descriptor, which it takes over, in blocks of the given size (at least
    // one byte; tests and fuzzing choose small ones to cross block ends often).
    JobFileLineReader(int fd, QString path, std::size_t block = kBlock,
                      std::size_t longest_line = kLongestLine);
    ~JobFileLineReader();
    JobFileLineReader(const JobFileLineReader&) = delete;
    JobFileLineReader& operator=(const JobFileLineReader&) = delete;

    // The next line, or false at the end of the file. The view stays valid until the next call.
    // A failing read, or a line longer than the longest allowed, throws OperationAbandoned.
    bool next(std::string_view& line);

private:
    bool fill();

    int fd_;
    QString path_;
    std::string block_;
    std::size_t longest_line_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    bool skip_lf_ = false;  // the last line ended at a CR: an LF right after belongs to it
    std::string long_line_;
};

}  // namespace ostrel
