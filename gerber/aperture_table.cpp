// Aperture definitions by fixed character positions, the grid's rows, and the marker diameter.
#include "gerber/aperture_table.h"

#include "core/job_file.h"
#include "core/job_file_lines.h"
#include "core/number_text.h"
#include "gerber/gerber_file.h"

#include <charconv>
#include <limits>
#include <string>

namespace ostrel {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Digits beyond this many (after leading zeros) put the integer far past any double.
constexpr std::size_t kMostDigits = 400;

// The integer formed by a run of significant digits (no leading zeros), as the nearest double;
// infinity past the double range.
double digits_value(const std::string& digits, std::size_t significant) {
    if (significant == 0) {
        return 0;
    }
    if (significant > kMostDigits) {
        return std::numeric_limits<double>::infinity();
    }
    double value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return std::numeric_limits<double>::infinity();
    }
    return value;
}

}  // namespace

void ApertureGrid::set_cell(int row, int column, const QString& text) {
    if (row >= 0 && row < kRows && column >= 0 && column < kColumns) {
        cells_[row][column] = text;
    }
}

void ApertureGrid::clear() {
    for (auto& row : cells_) {
        for (auto& cell : row) {
            cell.clear();
        }
    }
}

bool is_aperture_definition(std::string_view line) {
    return line.substr(0, 4) == "%ADD";
}

ApertureDefinition read_aperture_definition(std::string_view line) {
    ApertureDefinition def;
    // Positions 5 and 6: the D-code; a non-digit ends it.
    if (line.size() > 4 && is_digit(line[4])) {
        def.d_code = line[4] - '0';
        if (line.size() > 5 && is_digit(line[5])) {
            def.d_code = def.d_code * 10 + (line[5] - '0');
        }
    }
    if (line.size() > 6) {
        def.letter = line[6];
    }
    // Sizes from position 10 on; positions 8 and 9 are never read.
    std::size_t start = 9;
    std::string digits;
    for (int k = 1;; ++k) {
        std::size_t i = start;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
            ++i;
        }
        digits.clear();
        std::size_t significant = 0;
        bool point_seen = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (is_digit(c)) {
                // A long run only matters up to the point where the value is infinite anyway.
                if (significant > 0 || c != '0') {
                    ++significant;
                    if (digits.size() <= kMostDigits) {
                        digits.push_back(c);
                    }
                }
            } else if (c == '.' && !point_seen) {
                point_seen = true;
            } else {
                break;
            }
        }
        const bool terminated = i < line.size();
        const double value = terminated ? digits_value(digits, significant) / 100.0 : 0.0;
        if (k <= Aperture::kSizes) {
            def.size[k] = value;
            def.sizes_read = k;
        }
        if (!terminated) {
            break;
        }
        start = i + 1;
        if (start + 1 >= line.size() || line[start] == '*') {
            break;
        }
    }
    return def;
}

void ApertureLoader::start() {
    grid_.clear();
    row_ = 0;
}

void ApertureLoader::take_line(std::string_view line) {
    if (!is_aperture_definition(line)) {
        return;
    }
    ++row_;
    const ApertureDefinition def = read_aperture_definition(line);
    Aperture* entry = table_.entry(def.d_code);
    if (def.letter == 'C' || def.letter == 'R') {
        grid_.set_cell(row_, 0, QString(QLatin1Char(def.letter)));
        if (entry != nullptr) {
            entry->shape = def.letter == 'C' ? Aperture::kCircle : Aperture::kRectangle;
        }
    }
    for (int k = 1; k <= def.sizes_read; ++k) {
        if (entry != nullptr) {
            entry->size[k] = def.size[k];
        }
        if (k <= 3) {
            grid_.set_cell(row_, k, show_fixed4(def.size[k]));
        }
    }
    // The next row shows "-END-" until a definition with its own letter replaces it.
    grid_.set_cell(row_ + 1, 0, QStringLiteral("-END-"));
}

void load_apertures(const QString& path, ApertureTable& table, ApertureGrid& grid, Operator& op) {
    ApertureLoader loader(table, grid);
    loader.start();
    if (!job_file_exists(path, op, Field::GerberFile)) {
        return;
    }
    GerberFileLines reader(path);
    JobFileLineReader::Line line;
    while (reader.next(line)) {
        loader.take_line(line.text);
    }
}

double marker_diameter(const Panel& panel) {
    return static_cast<double>(
        static_cast<Extended>(read_number(panel.field_text(Field::MarkerDiameter))) / 10.0L);
}

}  // namespace ostrel
