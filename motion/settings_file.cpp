// Reading and writing cfg.ini: a small INI reader of our own, so that a comma is a decimal comma.
#include "motion/settings_file.h"

#include "core/job_file.h"
#include "port/output_file.h"

#include <sys/stat.h>
#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <cmath>
#include <limits>

namespace ostrel {

namespace {

constexpr const char* kSection = "machine";
// Nine keys take a few hundred bytes; anything near this is no settings file.
constexpr qint64 kLargestFile = 1 << 20;
// Ratios beyond these are typing slips (a 0 too many, mm for µm), not a machine.
constexpr double kSmallestRatio = 1e-6;
constexpr double kLargestRatio = 100;

struct KeyValue {
    QString key;
    QString value;
};

struct MachineSection {
    bool found = false;
    QList<KeyValue> entries;
};

// The key = value lines of the [machine] section; other sections and comments are passed over.
// LF, CR LF and a lone CR each end a line.
MachineSection machine_section(const QString& text) {
    MachineSection section;
    bool in_section = false;
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(u'\r', u'\n');
    for (QString line : normal.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            in_section = line.endsWith(u']') && line.mid(1, line.size() - 2).trimmed() == kSection;
            section.found = section.found || in_section;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!in_section || equals < 0) {
            continue;
        }
        section.entries.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return section;
}

// The file as text: UTF-8, or what its byte-order mark says (Windows editors save UTF-16).
// Empty when it holds NUL bytes, which no text of ours does.
std::optional<QString> settings_text(const QByteArray& content) {
    const QStringConverter::Encoding encoding =
        QStringConverter::encodingForData(content).value_or(QStringConverter::Utf8);
    if (encoding == QStringConverter::Utf8 && content.contains('\0')) {
        return std::nullopt;
    }
    QStringDecoder decode(encoding);
    QString text = decode(content);
    if (encoding != QStringConverter::Utf8 && (decode.hasError() || text.contains(QChar(0)))) {
        return std::nullopt;
    }
    return text;
}

QString axis_letter(Axis axis) {
    return axis == AXIS_X   ? QStringLiteral("x")
           : axis == AXIS_Y ? QStringLiteral("y")
                            : QStringLiteral("z");
}

QString unreadable(const QString& path, const QString& reason) {
    return QStringLiteral(
               "Файл конфигурации %1 не читается (%2); взяты значения "
               "по умолчанию")
        .arg(path, reason);
}

QString shortest(double value) {
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

std::optional<double> read_parameter(ParameterKind kind, const QString& text) {
    QString normal = text.trimmed();
    normal.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(normal, &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    switch (kind) {
        case ParameterKind::Ratio:
            if (std::fabs(value) < kSmallestRatio || std::fabs(value) > kLargestRatio) {
                return std::nullopt;
            }
            break;
        case ParameterKind::Limit:
            if (value != std::trunc(value) || value < std::numeric_limits<std::int32_t>::min() ||
                value > std::numeric_limits<std::int32_t>::max()) {
                return std::nullopt;
            }
            break;
        case ParameterKind::Backlash:
            if (value < 0) {
                return std::nullopt;
            }
            break;
    }
    return value == 0 ? 0.0 : value;  // no negative zero on show
}

bool backlash_fits(double backlash, std::int32_t travel_limit) {
    return backlash <= std::fabs(static_cast<double>(travel_limit));
}

QString settings_key(const char* parameter, Axis axis) {
    return QString::fromLatin1(parameter) + u'_' + axis_letter(axis);
}

SettingsRead read_settings_file(const QString& path) {
    SettingsRead result;
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return result;
    }
    result.file_exists = true;
    QByteArray content;
    const QString failure = read_small_file(path, kLargestFile, content);
    if (!failure.isEmpty()) {
        result.message = unreadable(path, failure);
        return result;
    }
    const std::optional<QString> text = settings_text(content);
    if (!text) {
        result.message =
            unreadable(path, QStringLiteral("в нём нулевые байты: это не текстовый файл"));
        return result;
    }
    const MachineSection section = machine_section(*text);
    if (!section.found) {
        result.message = QStringLiteral(
                             "В файле конфигурации %1 нет раздела [machine]; взяты значения "
                             "по умолчанию")
                             .arg(path);
        return result;
    }
    const struct {
        const char* name;
        ParameterKind kind;
    } parameters[] = {{"mm_per_step", ParameterKind::Ratio},
                      {"travel_limit", ParameterKind::Limit},
                      {"backlash", ParameterKind::Backlash}};
    QStringList known;
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        for (const auto& parameter : parameters) {
            known.append(settings_key(parameter.name, static_cast<Axis>(a)));
        }
    }
    QStringList unknown;
    for (const KeyValue& entry : section.entries) {
        if (!entry.key.isEmpty() && !known.contains(entry.key) && !unknown.contains(entry.key)) {
            unknown.append(entry.key);
        }
    }
    auto value_of = [&](const QString& key) -> std::optional<QString> {
        std::optional<QString> found;
        for (const auto& entry : section.entries) {
            if (entry.key == key) {
                found = entry.value;  // the last one wins, as with any INI reader
            }
        }
        return found;
    };
    QStringList problems;
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        const Axis axis = static_cast<Axis>(a);
        for (const auto& parameter : parameters) {
            const QString key = settings_key(parameter.name, axis);
            const auto text = value_of(key);
            if (!text) {
                continue;
            }
            const auto value = read_parameter(parameter.kind, *text);
            if (!value) {
                result.bad_keys.append(key);
                problems.append(QStringLiteral("%1 = \"%2\"").arg(key, *text));
                continue;
            }
            switch (parameter.kind) {
                case ParameterKind::Ratio:
                    result.parameters.mm_per_step[axis] = *value;
                    break;
                case ParameterKind::Limit:
                    result.parameters.travel_limit[axis] = static_cast<std::int32_t>(*value);
                    break;
                case ParameterKind::Backlash:
                    result.parameters.backlash[axis] = *value;
                    break;
            }
        }
        if (!backlash_fits(result.parameters.backlash[axis],
                           result.parameters.travel_limit[axis])) {
            const QString key = settings_key("backlash", axis);
            result.bad_keys.append(key);
            problems.append(QStringLiteral("%1 = \"%2\" (больше предела перемещения)")
                                .arg(key, value_of(key).value_or(QString())));
            result.parameters.backlash[axis] = MachineParameters::defaults().backlash[axis];
        }
    }
    QStringList sentences;
    if (!problems.isEmpty()) {
        sentences.append(QStringLiteral("Неверные значения в файле конфигурации %1: %2. Для них "
                                        "взяты значения по умолчанию.")
                             .arg(path, problems.join(QStringLiteral(", "))));
    }
    if (!unknown.isEmpty()) {
        sentences.append(
            QStringLiteral("Неизвестные ключи в файле конфигурации %1: %2; они пропущены "
                           "(в разделе [machine] читаются mm_per_step_x|y|z, "
                           "travel_limit_x|y|z, backlash_x|y|z).")
                .arg(path, unknown.join(QStringLiteral(", "))));
    }
    result.message = sentences.join(u' ');
    return result;
}

QString write_settings_file(const QString& path, const MachineParameters& parameters) {
    QString text = QStringLiteral(
                       "; Ostrel machine parameters: mm per motor step, travel limits in whole mm, "
                       "backlash in mm\n[%1]\n")
                       .arg(QLatin1String(kSection));
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        const Axis axis = static_cast<Axis>(a);
        text += settings_key("mm_per_step", axis) + QStringLiteral(" = ") +
                shortest(parameters.mm_per_step[axis]) + u'\n';
    }
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        const Axis axis = static_cast<Axis>(a);
        text += settings_key("travel_limit", axis) + QStringLiteral(" = ") +
                QString::number(parameters.travel_limit[axis]) + u'\n';
    }
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        const Axis axis = static_cast<Axis>(a);
        text += settings_key("backlash", axis) + QStringLiteral(" = ") +
                shortest(parameters.backlash[axis]) + u'\n';
    }
    bool had_file = false;
    const QString failure =
        write_whole_file(path, text.toUtf8(), OutputFile::Link::Followed, &had_file);
    if (failure.isEmpty() || !had_file) {
        return failure;
    }
    return failure + QStringLiteral("; прежний файл оставлен без изменений");
}

}  // namespace ostrel
