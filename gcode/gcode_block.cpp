// The block reader: one pass over the line's bytes, no allocation, numbers read digit by digit.
#include "gcode/gcode_block.h"

#include <cmath>

namespace ostrel {

namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Powers of ten a decimal fraction is divided by: exact in a double up to 10^22, so that a
// number of up to 15 digits comes out as the nearest double.
constexpr std::array<double, 23> kPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A number from at, spaces allowed between its characters; at moves past it. False when no digit
// was found.
bool read_number(std::string_view line, std::size_t& at, double& value) {
    const std::size_t n = line.size();
    auto skip_spaces = [&] {
        while (at < n && is_space(line[at])) {
            ++at;
        }
    };
    skip_spaces();
    bool negative = false;
    if (at < n && (line[at] == '+' || line[at] == '-')) {
        negative = line[at] == '-';
        ++at;
        skip_spaces();
    }
    std::uint64_t mantissa = 0;
    int digits = 0;    // significant digits kept in mantissa
    int exponent = 0;  // power of ten the mantissa is multiplied by
    bool any = false;
    bool point = false;
    while (at < n) {
        const char c = line[at];
        if (is_digit(c)) {
            any = true;
            if (digits < 18) {
                if (mantissa != 0 || c != '0') {
                    ++digits;
                }
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
                if (point) {
                    --exponent;
                }
            } else if (!point) {
                ++exponent;  // digits past what a double holds still count in the whole part
            }
        } else if (c == '.' && !point) {
            point = true;
        } else if (!is_space(c)) {
            break;
        }
        ++at;
    }
    if (!any) {
        return false;
    }
    double v = static_cast<double>(mantissa);
    if (exponent < 0) {
        v = -exponent < static_cast<int>(kPowers.size()) ? v / kPowers[-exponent]
                                                         : v * std::pow(10.0, exponent);
    } else if (exponent > 0) {
        v *= std::pow(10.0, exponent);
    }
    value = negative ? -v : v;
    return std::isfinite(v);  // hundreds of digits make no coordinate
}

// "(MSG,text)": the text after the comma, leading spaces dropped; empty when no message.
std::string_view message_of(std::string_view comment) {
    std::size_t at = 0;
    const auto skip = [&] {
        while (at < comment.size() && is_space(comment[at])) {
            ++at;
        }
    };
    for (const char expected : {'M', 'S', 'G', ','}) {
        skip();
        if (at >= comment.size() || upper(comment[at]) != expected) {
            return {};
        }
        ++at;
    }
    skip();
    return comment.substr(at);
}

bool fault_at(GcodeLineFault& fault, std::string_view word, const char* reason) {
    fault.word = word;
    fault.reason = reason;
    return false;
}

}  // namespace

bool GcodeBlock::empty() const {
    return g_count == 0 && m_count == 0 && (present & ~(1u << ('N' - 'A'))) == 0;
}

bool read_gcode_block(std::string_view line, GcodeBlock& block, GcodeLineFault& fault) {
    block.block_delete = false;
    block.percent = false;
    block.message = {};
    block.g_count = 0;
    block.m_count = 0;
    block.present = 0;
    const std::size_t n = line.size();
    std::size_t at = 0;
    while (at < n && is_space(line[at])) {
        ++at;
    }
    if (at < n && line[at] == '%') {
        block.percent = true;
        return true;
    }
    if (at < n && line[at] == '/') {
        block.block_delete = true;
        ++at;
    }
    while (at < n) {
        const char c = line[at];
        if (is_space(c)) {
            ++at;
            continue;
        }
        if (c == ';') {
            break;
        }
        if (c == '(') {
            const std::size_t close = line.find(')', at + 1);
            if (close == std::string_view::npos) {
                return fault_at(fault, line.substr(at), "комментарий не закрыт скобкой");
            }
            const std::string_view message = message_of(line.substr(at + 1, close - at - 1));
            if (!message.empty() || block.message.empty()) {
                block.message = message;
            }
            at = close + 1;
            continue;
        }
        const std::size_t start = at;
        if (c == '#') {
            return fault_at(fault, line.substr(at, 1), "параметры не поддерживаются");
        }
        if (c == '[') {
            return fault_at(fault, line.substr(at, 1), "выражения не поддерживаются");
        }
        const char letter = upper(c);
        if (letter < 'A' || letter > 'Z') {
            return fault_at(fault, line.substr(at, 1), "непонятный знак");
        }
        ++at;
        if (letter == 'O') {
            std::size_t end = at;
            while (end < n && !is_space(line[end]) && line[end] != '(' && line[end] != ';') {
                ++end;
            }
            return fault_at(fault, line.substr(start, end - start),
                            "подпрограммы (O-слова) не поддерживаются");
        }
        GcodeWord word;
        word.letter = letter;
        if (!read_number(line, at, word.value)) {
            if (at < n && (line[at] == '[' || line[at] == '#')) {
                return fault_at(fault, line.substr(start, at - start + 1),
                                line[at] == '[' ? "выражения не поддерживаются"
                                                : "параметры не поддерживаются");
            }
            return fault_at(fault, line.substr(start, at - start + (at < n ? 1 : 0)),
                            "после буквы нет числа");
        }
        std::size_t end = at;
        while (end > start && is_space(line[end - 1])) {
            --end;
        }
        word.text = line.substr(start, end - start);
        switch (letter) {
            case 'G':
            case 'M': {
                int& count = letter == 'G' ? block.g_count : block.m_count;
                if (count == GcodeBlock::kMostCodes) {
                    return fault_at(fault, word.text, "слишком много кодов в строке");
                }
                (letter == 'G' ? block.g : block.m)[count++] = word;
                break;
            }
            case 'D':
            case 'F':
            case 'H':
            case 'I':
            case 'J':
            case 'K':
            case 'L':
            case 'N':
            case 'P':
            case 'Q':
            case 'R':
            case 'S':
            case 'T':
            case 'X':
            case 'Y':
            case 'Z':
                if (block.has(letter)) {
                    return fault_at(fault, word.text, "слово повторяется в строке");
                }
                block.words[letter - 'A'] = word;
                block.present |= 1u << (letter - 'A');
                break;
            default:
                return fault_at(fault, word.text, "такого слова станок не выполняет");
        }
    }
    return true;
}

}  // namespace ostrel
