// Job-parameter files: a small INI text with quoted values, so blanks and commas survive as typed.
#include "jobs/job_parameters_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringConverter>
#include <QTextStream>
#include <array>
#include <optional>

namespace ostrel {
namespace {

const QString kSection = QStringLiteral("job");

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return QStringLiteral("Не удалось записать файл %1: %2").arg(path, file.errorString());
    }
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << "; Ostrel job parameters\n[" << kSection << "]\n";
    for (const TextKey& key : kTextKeys) {
        out << key.key << '=' << quoted(texts.*key.field) << '\n';
    }
    out << kReturnKey << '=' << (texts.return_to_origin ? 1 : 0) << '\n';
    out.flush();
    if (out.status() != QTextStream::Ok || !file.commit()) {
        return QStringLiteral("Не удалось записать файл %1: %2").arg(path, file.errorString());
    }
    return {};
}

QString read_job_parameters_file(const QString& path, JobParameterTexts& texts) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QStringLiteral("Не удалось открыть файл %1: %2").arg(path, file.errorString());
    }
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);

    JobParameterTexts read = texts;
    bool in_section = false;
    int keys_found = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
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
