// The classic-mode hint: one pass over the file's words as the classic interpreter cuts them.
#include "gerber/classic_hint.h"

#include "core/job_file_lines.h"
#include "core/operation_abandoned.h"
#include "gerber/gerber_file.h"
#include "gerber/gerber_interpreter.h"

#include <algorithm>
#include <string_view>

namespace ostrel {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

struct Findings {
    bool gerber_format = false;  // %FS or %MO
    bool drill_units = false;    // METRIC or INCH in an M48 header
    double max_x = 0;
    double max_y = 0;
};

// The words of a line as the classic job runs them: letters, then a number.
void take_line(std::string_view line, Findings& found) {
    const std::size_t length = line.size();
    std::size_t p = 1;
    do {
        std::size_t q = p;
        while (q <= length && !is_digit(line[q - 1])) {
            ++q;
        }
        const std::string_view letters =
            p <= length ? line.substr(p - 1, q - p) : std::string_view();
        p = q;
        const GerberInterpreter::Number number = GerberInterpreter::number_at(line, p);
        p += number.reach - 1;
        if (!letters.empty() && letters.front() == 'X') {
            found.max_x = std::max(found.max_x, number.value / 100);
        } else if (!letters.empty() && letters.front() == 'Y') {
            found.max_y = std::max(found.max_y, number.value / 100);
        }
    } while (p < length);
}

Findings scan(const QString& path) {
    Findings found;
    GerberFileLines reader(path);
    JobFileLineReader::Line line;
    bool drill_header = false;
    while (reader.next(line)) {
        const std::string_view text = line.text;
        if (text.find("%FS") != std::string_view::npos ||
            text.find("%MO") != std::string_view::npos) {
            found.gerber_format = true;
        }
        if (text == "M48") {
            drill_header = true;
        } else if (text == "%") {
            drill_header = false;
        } else if (drill_header && (starts_with(text, "METRIC") || starts_with(text, "INCH"))) {
            found.drill_units = true;
        }
        // The job passes over empty lines and lines opening with '%'.
        if (!text.empty() && text.front() != '%') {
            take_line(text, found);
        }
    }
    return found;
}

}  // namespace

QString classic_mode_hint(const QString& path, const MachineState& state) {
    Findings found;
    try {
        found = scan(path);
    } catch (const OperationAbandoned&) {
        return {};
    }
    if (!found.gerber_format && !found.drill_units) {
        return {};
    }
    if (found.max_x <= state.travel_limit[AXIS_X] && found.max_y <= state.travel_limit[AXIS_Y]) {
        return {};
    }
    return QStringLiteral(
               "Файл задаёт %1, а путь инструмента в классическом режиме уходит за пределы "
               "перемещения (X до %2 мм, Y до %3 мм). Такой файл читают в стандартном режиме: "
               "в нём размеры платы истинные")
        .arg(found.gerber_format ? QStringLiteral("свой формат и единицы (%FS, %MO)")
                                 : QStringLiteral("единицы в заголовке M48"),
             QString::number(found.max_x, 'f', 0), QString::number(found.max_y, 'f', 0));
}

}  // namespace ostrel
