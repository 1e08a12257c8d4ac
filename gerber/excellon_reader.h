// The Excellon drill-file reader: header, units, zero modes, tool table and hits into a Board.
#pragma once

#include "gerber/board.h"

#include <QString>
#include <map>
#include <string_view>

namespace ostrel {

// Reads drill files line by line. A file without an M48 header is read as inches in the 2.4
// format with leading zeros left out (the old Excellon default), and a note says so.
class ExcellonReader {
public:
    explicit ExcellonReader(Board& board) : board_(board) {}

    // The next line, without its end; path names the file in the message refusing a NUL byte.
    void line(std::string_view text, const QString& path);
    // True once M30 (or M00) ended the program.
    bool ended() const { return ended_; }

private:
    void header_line(std::string_view text);
    void body_line(std::string_view text);
    void tool_statement(std::string_view text);
    // Reads X and Y words from text onward into the point; returns where they ended.
    std::size_t read_point(std::string_view text, std::size_t from, PointMm& point);
    double number(std::string_view digits) const;
    double unit() const { return metric_ ? 1.0 : 25.4; }
    void assume_header();

    Board& board_;
    bool in_header_ = false;
    bool header_seen_ = false;
    bool assumed_ = false;
    bool ended_ = false;
    bool metric_ = false;
    bool trailing_omitted_ = false;  // LZ: leading zeros written, trailing ones left out
    int integer_ = 2;
    int decimals_ = 4;
    bool digits_given_ = false;
    bool incremental_ = false;
    bool routing_ = false;
    std::map<int, double> tools_;  // tool number -> diameter in mm
    int tool_ = 0;
    PointMm at_;
};

// Reads a drill file into a board's holes and slots. Throws OperationAbandoned naming the file
// when it can't be read or holds a NUL byte.
Board read_excellon_file(const QString& path);

// True when the file's first lines look like a drill file (an M48 header, a tool or a hit line
// before any Gerber block ends with '*'). Throws like the readers when it can't be read.
bool is_drill_file(const QString& path);

// A Gerber or drill file, whichever the file is.
Board read_board_file(const QString& path);

}  // namespace ostrel
