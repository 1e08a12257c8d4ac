// Trace parsing and decoding for tests.
#include "tests/support/trace_decoder.h"

#include <QFile>
#include <QRegularExpression>
#include <stdexcept>

namespace ostrel::testing {

std::vector<PortRecord> parse_trace(const QString& text) {
    // Strict on purpose: the trace format is fixed for other tools to read.
    const QRegularExpression line_form(QStringLiteral("^0x([0-9a-f]{2}) (0|[1-9][0-9]{0,2})$"));
    std::vector<PortRecord> writes;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty() && i == lines.size() - 1) {
            break;  // after the last line end
        }
        const QRegularExpressionMatch match = line_form.match(line);
        const unsigned value = match.hasMatch() ? match.captured(2).toUInt() : 256;
        if (value > 255) {
            throw std::invalid_argument(QStringLiteral("trace line %1 is not \"0xAA V\": \"%2\"")
                                            .arg(i + 1)
                                            .arg(line)
                                            .toStdString());
        }
        writes.push_back(
            PortRecord{static_cast<std::uint8_t>(match.captured(1).toUInt(nullptr, 16)),
                       static_cast<std::uint8_t>(value)});
    }
    return writes;
}

std::vector<PortRecord> read_trace_file(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read trace file " + path.toStdString());
    }
    return parse_trace(QString::fromLatin1(file.readAll()));
}

StepDecoder decode_writes(std::span<const PortRecord> writes, std::uint8_t port) {
    StepDecoder decoder;
    for (const PortRecord& write : writes) {
        if ((write.address & 0xF0) == port && (write.address & 0x07) == REG_DATA) {
            decoder.feed(write.value);
        }
    }
    return decoder;
}

StepDecoder decode_trace(const QString& text, std::uint8_t port) {
    return decode_writes(parse_trace(text), port);
}

}  // namespace ostrel::testing
