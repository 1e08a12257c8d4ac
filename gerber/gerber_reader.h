// The true-size Gerber reader: RS-274X commands as today's CAD programs write them, into a Board.
#pragma once

#include "gerber/aperture_macro.h"
#include "gerber/board.h"

#include <QString>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

// Takes a Gerber file's text in pieces of any size (line ends carry no meaning) and adds what it
// draws to the board, in millimetres. Graphics state persists from one piece to the next.
class GerberReader {
public:
    // Objects the copies of a step-and-repeat block may add, a region counted by its corners: a
    // few bytes can ask for 10000 x 10000 copies, which no memory holds. About 160 MB of board.
    static constexpr long long kMostRepeated = 4'000'000;

    explicit GerberReader(Board& board) : board_(board) {}

    // The file holds about this many bytes: the board's first level makes room for the objects
    // that many bytes are likely to hold, so that a large board is not copied again and again as
    // it grows. Room left unfilled costs address space, not memory.
    void expect_bytes(std::int64_t bytes) { expected_bytes_ = bytes; }

    // The next piece of text; path names the file in the message refusing a NUL byte.
    void feed(std::string_view text, const QString& path);
    // The end of the file: an open region or step-and-repeat block is closed.
    void finish();
    // True once M02 (or M00) was read: nothing after it counts.
    bool ended() const { return ended_; }

private:
    struct Format {
        bool trailing = false;  // trailing zeros omitted (else leading)
        bool incremental = false;
        int integer_x = 2, decimals_x = 4;
        int integer_y = 2, decimals_y = 4;
    };
    struct Repeat {
        int x = 1, y = 1;
        double dx = 0, dy = 0;
    };

    void data_block(std::string_view block);
    void extended(const std::vector<std::string>& blocks);
    void format_statement(std::string_view block);
    void aperture_definition(std::string_view block);
    void begin_repeat(std::string_view block);
    void end_repeat();
    void operate(int operation, PointMm to, double i, double j, bool has_ij);
    void add_arc(PointMm from, PointMm to, double i, double j);
    // The centre and sweep of an arc from the current modes; false when no arc fits the ends.
    bool arc_geometry(PointMm from, PointMm to, double i, double j, PointMm& centre,
                      double& sweep) const;
    void close_contour();

    double coordinate(std::string_view digits, bool y_axis);
    double unit() const { return inches_ ? 25.4 : 1.0; }
    void assume_format();
    void assume_units();
    BoardLevel& target();

    Board& board_;
    std::int64_t expected_bytes_ = 0;
    // The text being gathered: a block up to its '*', the blocks of a '%' command up to its end.
    std::string block_;
    std::vector<std::string> command_;
    bool in_command_ = false;
    bool ended_ = false;

    Format format_;
    bool format_given_ = false;
    bool inches_ = true;
    bool units_given_ = false;
    bool format_assumed_ = false;
    bool units_assumed_ = false;

    PointMm at_;
    int interpolation_ = 1;  // 1 straight, 2 clockwise, 3 counterclockwise
    bool multi_quadrant_ = false;
    int operation_ = 0;  // the last D01, D02 or D03
    int aperture_ = -1;  // D code selected
    bool clear_ = false;
    bool region_ = false;
    std::vector<PointMm> contour_;
    int block_depth_ = 0;  // inside %AB definitions, whose contents no job draws

    std::map<int, std::uint32_t> apertures_;  // D code -> index into board_.apertures
    std::map<std::string, ApertureMacro, std::less<>> macros_;

    bool repeating_ = false;
    Repeat repeat_;
    std::vector<BoardLevel> repeated_;
};

// A decimal number as the board files write sizes, step-and-repeat and drill coordinates, with
// an optional sign and point; 0 when there is none or it does not fit.
double decimal(std::string_view text);

// Reads a Gerber file into a board. Throws OperationAbandoned naming the file when it can't be
// read or holds a NUL byte (it is no text Gerber file then).
Board read_gerber_file(const QString& path);

}  // namespace ostrel
