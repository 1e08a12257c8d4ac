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

const std::array<TextKey, 7> kTextKeys = {{
    {"speed_xy", &JobParameterTexts::speed_xy},
    {"speed_xy_rapid", &JobParameterTexts::speed_xy_rapid},
    {"z_travel", &JobParameterTexts::z_travel},
    {"speed_z_up", &JobParameterTexts::speed_z_up},
    {"speed_z_down", &JobParameterTexts::speed_z_down},
    {"drill_depth", &JobParameterTexts::drill_depth},
    {"marker_diameter", &JobParameterTexts::marker_diameter},
}};
const QString kReturnKey = QStringLiteral("return_to_origin");

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
    text += kReturnKey + u'=' + (texts.return_to_origin ? u'1' : u'0') + u'\n';
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
        if (key == kReturnKey) {
            if (value == QStringLiteral("1") || value == QStringLiteral("true")) {
                read.return_to_origin = true;
            } else if (value == QStringLiteral("0") || value == QStringLiteral("false")) {
                read.return_to_origin = false;
            } else {
                return bad_value;
            }
            ++keys_found;
            continue;
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
