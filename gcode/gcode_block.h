// One line of a G-code program read into its words: letters with numbers, comments, block delete.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace ostrel {

// A letter with its number, and the word as it stands in the line (for messages).
struct GcodeWord {
    char letter = 0;
    double value = 0;
    std::string_view text;
};

// What a line says. Views point into the line's text and live as long as it does.
struct GcodeBlock {
    // Several G and M words may share a line; more than this is no program a CAM writes.
    static constexpr int kMostCodes = 16;

    bool block_delete = false;  // the line began with "/"
    bool percent = false;       // the line is a "%" delimiter
    std::string_view message;   // the text of a "(MSG,...)" comment, empty when none
    std::array<GcodeWord, kMostCodes> g{};
    int g_count = 0;
    std::array<GcodeWord, kMostCodes> m{};
    int m_count = 0;
    // Every other letter at most once: its word, indexed by letter - 'A', and a bit for each
    // letter given (cleared with one store a line, where clearing the words would take 26).
    std::array<GcodeWord, 26> words{};
    std::uint32_t present = 0;

    bool has(char letter) const { return (present >> (letter - 'A') & 1u) != 0; }
    double value(char letter) const { return words[letter - 'A'].value; }
    const GcodeWord& word(char letter) const { return words[letter - 'A']; }
    bool empty() const;
};

// Why a line can't be read: the word (or character) at fault and what is wrong with it.
struct GcodeLineFault {
    std::string_view word;
    const char* reason = nullptr;  // UTF-8, for the operator
};

// Reads one line into block (cleared first). Letters may be in either case, and spaces may stand
// anywhere, inside numbers too, as RS-274/NGC allows. Returns false with the fault for what the
// machine's subset has no place for: parameters (#), expressions ([), O-words, letters it does
// not know, a letter given twice, a comment left open, a letter without a number.
bool read_gcode_block(std::string_view line, GcodeBlock& block, GcodeLineFault& fault);

}  // namespace ostrel
