// The aperture table of the Gerber page, its grid apertureGrid, load_apertures and the marker
// diameter.
#pragma once

#include "core/operator.h"

#include <QString>
#include <array>
#include <string_view>

namespace ostrel {

// One D-code's definition as the "%ADD" line gave it.
struct Aperture {
    static constexpr int kSizes = 9;
    static constexpr double kCircle = 1.0;
    static constexpr double kRectangle = 2.0;

    double shape = 0;  // 1.0 circle ("C"), 2.0 rectangle ("R"), 0.0 never defined as either
    // Sizes 1..9 in the order written (index 0 unused): the size's digits as an integer / 100.
    std::array<double, kSizes + 1> size{};
};

// aperture_table: one entry per D-code 1..99, zero at first, never cleared; a load overwrites only
// what the file defines.
class ApertureTable {
public:
    static constexpr int kFirst = 1;
    static constexpr int kLast = 99;

    // The entry of D-code n, or nullptr when there is none (n outside 1..99).
    Aperture* entry(long long n) { return in_range(n) ? &entries_[n] : nullptr; }
    const Aperture* entry(long long n) const { return in_range(n) ? &entries_[n] : nullptr; }

private:
    static bool in_range(long long n) { return n >= kFirst && n <= kLast; }
    std::array<Aperture, kLast + 1> entries_{};  // index 0 unused
};

// apertureGrid's text: 50 rows of 4 columns; row 0 is the fixed header row, which stays empty.
class ApertureGrid {
public:
    static constexpr int kRows = 50;
    static constexpr int kColumns = 4;
    static constexpr int kRowHeight = 15;
    static constexpr std::array<int, kColumns> kColumnWidths = {54, 41, 39, 48};

    const QString& cell(int row, int column) const { return cells_.at(row).at(column); }
    // Cells outside the grid are passed over: later definitions enter the table but not the grid.
    void set_cell(int row, int column, const QString& text);
    void clear();

private:
    std::array<std::array<QString, kColumns>, kRows> cells_{};
};

// What one "%ADD" line defines, by the position rules of the loader; positions count from 1.
struct ApertureDefinition {
    long long d_code = -1;  // positions 5 and 6; -1 when position 5 holds no digit
    char letter = '\0';     // position 7 ('\0' when the line is shorter)
    int sizes_read = 0;     // sizes stored (at most 9)
    std::array<double, Aperture::kSizes + 1> size{};  // index 0 unused
};

// True when the line opens with "%ADD".
bool is_aperture_definition(std::string_view line);
// Reads a definition line (one that opens with "%ADD").
ApertureDefinition read_aperture_definition(std::string_view line);

// Loads the aperture definitions of a file: clears the grid, then, for every "%ADD" line, its
// entry of the table and its grid row. Works on a file the caller has found to exist; throws
// OperationAbandoned with the reason when it can't be read, keeping what was stored before.
class ApertureLoader {
public:
    ApertureLoader(ApertureTable& table, ApertureGrid& grid) : table_(table), grid_(grid) {}

    void start();                           // the grid cleared, the row counter at 0
    void take_line(std::string_view line);  // one line of the file, in order
    int rows() const { return row_; }

private:
    ApertureTable& table_;
    ApertureGrid& grid_;
    int row_ = 0;
};

// load_apertures: loads aperture_table and apertureGrid from the file at path (the text of
// gerberFileEdit). A missing file gives "такого файла не существует" and the focus in
// gerberFileEdit, with the grid left empty and the table unchanged.
void load_apertures(const QString& path, ApertureTable& table, ApertureGrid& grid, Operator& op);

// The marker diameter in mm: markerDiameterEdit's two digits / 10, read when a pad is plotted. A
// text that is not a number abandons the operation with the conversion message.
double marker_diameter(const Panel& panel);

}  // namespace ostrel
