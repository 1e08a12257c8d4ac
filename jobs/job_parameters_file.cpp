// Job-parameter files: a small INI text with quoted values, so blanks and commas survive as typed.
#include "jobs/job_parameters_file.h"

#include "core/job_file.h"
#include "port/output_file.h"

#include <QStringDecoder>
#include <QStringList>
#include <array>
#include <optional>

namespace ostrel {
namespace {

const QString kSection = QStringLiteral("job");
// A file of seven short texts; anything near this size is something else.
constexpr qint64 kLargestFile = 1 << 20;

struct TextKey {
    const char* key;
    QString JobParameterTexts::*field;
};

const std::array<TextKey, 9> kTextKeys = {{
    {"speed_xy", &JobParameterTexts::speed_xy},
    {"speed_xy_rapid", &JobParameterTexts::speed_xy_rapid},
    {"z_travel", &JobParameterTexts::z_travel},
    {"speed_z_up", &JobParameterTexts::speed_z_up},
    {"speed_z_down", &JobParameterTexts::speed_z_down},
    {"drill_depth", &JobParameterTexts::drill_depth},
    {"marker_diameter", &JobParameterTexts::marker_diameter},
    {"offset_x", &JobParameterTexts::offset_x},
    {"offset_y", &JobParameterTexts::offset_y},
}};

struct SwitchKey {
    const char* key;
    bool JobParameterTexts::*field;
};

const std::array<SwitchKey, 5> kSwitchKeys = {{
    {"return_to_origin", &JobParameterTexts::return_to_origin},
    {"dxf_standard", &JobParameterTexts::dxf_standard},
    {"circles_as_holes", &JobParameterTexts::circles_as_holes},
    {"gerber_standard", &JobParameterTexts::gerber_standard},
    {"mirror_x", &JobParameterTexts::mirror_x},
}};

// Keys with a few possible words.
struct ChoiceKey {
    const char* key;
    QString JobParameterTexts::*field;
    QStringList words;
};

const std::array<ChoiceKey, 2> kChoiceKeys = {{
    {"dxf_unit",
     &JobParameterTexts::dxf_unit,
     {QString(), QStringLiteral("mm"), QStringLiteral("cm"), QStringLiteral("m"),
      QStringLiteral("in"), QStringLiteral("ft")}},
    {"origin", &JobParameterTexts::origin, {QStringLiteral("file"), QStringLiteral("corner")}},
}};

QString quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
        }
        out += c;
    }
    out += u'"';
    return out;
}

// A value as written by quoted(), or a bare value without its surrounding blanks.
std::optional<QString> unquoted(const QString& value) {
    if (!value.startsWith(u'"')) {
        return value.trimmed();
    }
    QString out;
    for (qsizetype i = 1; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            out += value[++i];
        } else if (c == u'"') {
            if (!value.mid(i + 1).trimmed().isEmpty()) {
                return std::nullopt;
            }
            return out;
        } else {
            out += c;
        }
    }
    return std::nullopt;  // no closing quote
}

bool is_marker_digits(const QString& text) {
    return text.size() == 2 && text[0].isDigit() && text[1].isDigit() && text[0].unicode() < 128 &&
           text[1].unicode() < 128;
}

}  // namespace

QString write_job_parameters_file(const QString& path, const JobParameterTexts& texts) {
    QString text = QStringLiteral("; Ostrel job parameters\n[%1]\n").arg(kSection);
    for (const TextKey& key : kTextKeys) {
        text += QLatin1String(key.key) + u'=' + quoted(texts.*key.field) + u'\n';
    }
    for (const ChoiceKey& key : kChoiceKeys) {
        text += QLatin1String(key.key) + u'=' + quoted(texts.*key.field) + u'\n';
    }
    for (const SwitchKey& key : kSwitchKeys) {
        text += QLatin1String(key.key) + u'=' + (texts.*key.field ? u'1' : u'0') + u'\n';
    }
    bool had_file = false;
    const QString failure =
        write_whole_file(path, text.toUtf8(), OutputFile::Link::Followed, &had_file);
    if (failure.isEmpty()) {
        return {};
    }
    return QStringLiteral("Не удалось записать файл %1: %2%3")
        .arg(path, failure,
             had_file ? QStringLiteral("; прежний файл оставлен без изменений") : QString());
}

QString read_job_parameters_file(const QString& path, JobParameterTexts& texts) {
    QByteArray content;
    const QString failure = read_small_file(path, kLargestFile, content);
    if (!failure.isEmpty()) {
        return QStringLiteral("Не удалось открыть файл %1: %2").arg(path, failure);
    }
    QStringDecoder decode(
        QStringConverter::encodingForData(content).value_or(QStringConverter::Utf8));
    const QStringList lines = QString(decode(content)).split(u'\n');

    JobParameterTexts read = texts;
    bool in_section = false;
    int keys_found = 0;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) {
            continue;
        }
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            in_section = line.mid(1, line.size() - 2).trimmed() == kSection;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!in_section || equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        const std::optional<QString> value = unquoted(line.mid(equals + 1).trimmed());
        const QString bad_value = QStringLiteral("Неверное значение %1 в файле %2").arg(key, path);
        for (const SwitchKey& switch_key : kSwitchKeys) {
            if (key != QLatin1String(switch_key.key)) {
                continue;
            }
            if (value == QStringLiteral("1") || value == QStringLiteral("true")) {
                read.*switch_key.field = true;
            } else if (value == QStringLiteral("0") || value == QStringLiteral("false")) {
                read.*switch_key.field = false;
            } else {
                return bad_value;
            }
            ++keys_found;
        }
        for (const ChoiceKey& choice_key : kChoiceKeys) {
            if (key != QLatin1String(choice_key.key)) {
                continue;
            }
            if (!value || !choice_key.words.contains(*value)) {
                return bad_value;
            }
            read.*choice_key.field = *value;
            ++keys_found;
        }
        for (const TextKey& text_key : kTextKeys) {
            if (key != QLatin1String(text_key.key)) {
                continue;
            }
            if (!value || (text_key.field == &JobParameterTexts::marker_diameter &&
                           !is_marker_digits(*value))) {
                return bad_value;
            }
            read.*text_key.field = *value;
            ++keys_found;
        }
    }
    if (keys_found == 0) {
        return QStringLiteral("В файле %1 нет параметров задания").arg(path);
    }
    texts = read;
    return {};
}

}  // namespace ostrel
