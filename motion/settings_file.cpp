// Reading and writing cfg.ini: a small INI reader of our own, so that a comma is a decimal comma.
#include "motion/settings_file.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>
#include <limits>

namespace ostrel {

namespace {

constexpr const char* kSection = "machine";

struct KeyValue {
    QString key;
    QString value;
};

// The key = value lines of the [machine] section; other sections and comments are passed over.
QList<KeyValue> machine_section(const QByteArray& content) {
    QList<KeyValue> entries;
    bool in_section = false;
    const QString text = QString::fromUtf8(content);
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            in_section = line.endsWith(u']') && line.mid(1, line.size() - 2).trimmed() == kSection;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!in_section || equals < 0) {
            continue;
        }
        entries.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return entries;
}

QString axis_letter(Axis axis) {
    return axis == AXIS_X   ? QStringLiteral("x")
           : axis == AXIS_Y ? QStringLiteral("y")
                            : QStringLiteral("z");
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
            if (value == 0) {
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

QString settings_key(const char* parameter, Axis axis) {
    return QString::fromLatin1(parameter) + u'_' + axis_letter(axis);
}

SettingsRead read_settings_file(const QString& path) {
    SettingsRead result;
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        return result;
    }
    result.file_exists = true;
    if (!file.open(QIODevice::ReadOnly)) {
        result.message = QStringLiteral(
                             "Файл конфигурации %1 не читается (%2); взяты значения "
                             "по умолчанию")
                             .arg(path, file.errorString());
        return result;
    }
    const QList<KeyValue> entries = machine_section(file.read(1 << 20));
    auto value_of = [&](const QString& key) -> std::optional<QString> {
        std::optional<QString> found;
        for (const auto& entry : entries) {
            if (entry.key == key) {
                found = entry.value;  // the last one wins, as with any INI reader
            }
        }
        return found;
    };
    QStringList problems;
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        const Axis axis = static_cast<Axis>(a);
        const struct {
            const char* name;
            ParameterKind kind;
        } parameters[] = {{"mm_per_step", ParameterKind::Ratio},
                          {"travel_limit", ParameterKind::Limit},
                          {"backlash", ParameterKind::Backlash}};
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
    }
    if (!problems.isEmpty()) {
        result.message = QStringLiteral(
                             "Неверные значения в файле конфигурации %1: %2. Для них "
                             "взяты значения по умолчанию.")
                             .arg(path, problems.join(QStringLiteral(", ")));
    }
    return result;
}

QString write_settings_file(const QString& path, const MachineParameters& parameters) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return file.errorString();
    }
    QTextStream out(&file);
    out << "; Ostrel machine parameters: mm per motor step, travel limits in whole mm, backlash "
           "in mm\n";
    out << '[' << kSection << "]\n";
    const QLocale c = QLocale::c();
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        const Axis axis = static_cast<Axis>(a);
        out << settings_key("mm_per_step", axis) << " = "
            << c.toString(parameters.mm_per_step[axis], 'g', 17) << '\n';
    }
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        const Axis axis = static_cast<Axis>(a);
        out << settings_key("travel_limit", axis) << " = " << parameters.travel_limit[axis] << '\n';
    }
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        const Axis axis = static_cast<Axis>(a);
        out << settings_key("backlash", axis) << " = "
            << c.toString(parameters.backlash[axis], 'g', 17) << '\n';
    }
    out.flush();
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}

}  // namespace ostrel
