// The classic-mode hint: a look through the file for the declarations of today's formats.
#include "gerber/classic_hint.h"

#include "core/job_file_lines.h"
#include "core/operation_abandoned.h"
#include "gerber/gerber_file.h"

#include <string_view>

namespace ostrel {

namespace {

enum class Declared { Nothing, GerberFormat, DrillUnits };

Declared declarations(const QString& path) {
    GerberFileLines reader(path);
    JobFileLineReader::Line line;
    bool drill_header = false;
    while (reader.next(line)) {
        const std::string_view text = line.text;
        if (text.find("%FS") != std::string_view::npos ||
            text.find("%MO") != std::string_view::npos) {
            return Declared::GerberFormat;
        }
        if (text == "M48") {
            drill_header = true;
        } else if (text == "%") {
            drill_header = false;
        } else if (drill_header && (text.starts_with("METRIC") || text.starts_with("INCH"))) {
            return Declared::DrillUnits;
        }
    }
    return Declared::Nothing;
}

}  // namespace

QString classic_mode_hint(const QString& path) {
    Declared declared = Declared::Nothing;
    try {
        declared = declarations(path);
    } catch (const OperationAbandoned&) {
        return {};
    }
    if (declared == Declared::Nothing) {
        return {};
    }
    return QStringLiteral(
               "Файл задаёт %1: такой файл читают в стандартном режиме, в нём размеры "
               "платы истинные.")
        .arg(declared == Declared::GerberFormat ? QStringLiteral("свой формат и единицы (%FS, %MO)")
                                                : QStringLiteral("единицы в заголовке M48"));
}

}  // namespace ostrel
