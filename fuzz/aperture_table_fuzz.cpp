// Fuzzes the aperture loader and the line reader under it: any file reads into lines that hold
// every byte but the line ends, and any "%ADD" line gives a definition within the table's bounds.
#include "core/job_file_lines.h"
#include "core/operation_abandoned.h"
#include "fuzz/memory_file.h"
#include "gerber/aperture_table.h"

#include <sys/mman.h>
#include <unistd.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace ostrel;

// The lines a text holds when LF, CR LF and a lone CR each end one.
std::size_t expected_lines(std::string_view text) {
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            ++lines;
        }
    }
    if (!text.empty() && text.back() != '\n' && text.back() != '\r') {
        ++lines;  // the last line, without an end
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the reader's block size, so that lines and CR LF pairs cross blocks.
    const std::size_t block = data[0] % 16 + 1;
    ++data;
    --size;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int fd = memory_file(data, size, "gerber");
    JobFileLineReader reader(fd, QStringLiteral("fuzz"), kGerberLineRules, block);
    ApertureTable table;
    ApertureGrid grid;
    ApertureLoader loader(table, grid);
    loader.start();
    std::string joined;
    std::size_t lines = 0;
    JobFileLineReader::Line read;
    while (reader.next(read)) {
        const std::string_view line = read.text;
        ++lines;
        joined.append(line);
        // Gerber lines come whole, never cut short.
        if (read.cut || line.find_first_of("\r\n") != std::string_view::npos) {
            std::abort();
        }
        loader.take_line(line);
        if (!is_aperture_definition(line)) {
            continue;
        }
        const ApertureDefinition def = read_aperture_definition(line);
        if (def.d_code < -1 || def.d_code > 99 || def.sizes_read < 1 ||
            def.sizes_read > Aperture::kSizes) {
            std::abort();
        }
        for (int k = 1; k <= Aperture::kSizes; ++k) {
            if (std::isnan(def.size[k]) || def.size[k] < 0 ||
                (k > def.sizes_read && def.size[k] != 0)) {
                std::abort();
            }
        }
        if (const Aperture* entry = table.entry(def.d_code)) {
            if (entry->size[1] != def.size[1] ||
                (def.letter == 'C' && entry->shape != Aperture::kCircle)) {
                std::abort();
            }
        }
    }
    // Every byte but the line ends is in some line, in order.
    std::string bytes(text);
    std::erase_if(bytes, [](char c) { return c == '\r' || c == '\n'; });
    if (joined != bytes || lines != expected_lines(text) ||
        loader.rows() > static_cast<int>(lines)) {
        std::abort();
    }
    return 0;
}
