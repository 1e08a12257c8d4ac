// Fuzzes the true-size Gerber reader: any text read line by line as from a file, then finished;
// the board does not depend on where the text is cut, and every object names a defined aperture.
#include "core/job_file_lines.h"
#include "core/operation_abandoned.h"
#include "fuzz/memory_file.h"
#include "gerber/board.h"
#include "gerber/gerber_reader.h"

#include <sys/mman.h>
#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using namespace ostrel;

// What a reading gave, in counts: enough to tell two readings apart without comparing NaNs.
std::vector<long long> summary(const Board& board, bool refused) {
    std::vector<long long> s{refused ? 1 : 0,
                             static_cast<long long>(board.apertures.size()),
                             board.notes.aperture_blocks,
                             board.notes.unknown_apertures,
                             board.notes.unknown_primitives,
                             static_cast<long long>(board.notes.assumptions.size())};
    for (const BoardLevel& level : board.levels) {
        s.insert(s.end(), {level.clear ? 1 : 0, static_cast<long long>(level.tracks.size()),
                           static_cast<long long>(level.arcs.size()),
                           static_cast<long long>(level.pads.size()),
                           static_cast<long long>(level.regions.size())});
        for (const Region& r : level.regions) {
            s.push_back(static_cast<long long>(r.contour.size()));
        }
    }
    return s;
}

void check_apertures(const Board& board) {
    const std::size_t n = board.apertures.size();
    for (const BoardLevel& level : board.levels) {
        for (const Track& t : level.tracks) {
            if (t.aperture >= n) {
                std::abort();
            }
        }
        for (const ArcTrack& a : level.arcs) {
            if (a.aperture >= n) {
                std::abort();
            }
        }
        for (const Pad& p : level.pads) {
            if (p.aperture >= n) {
                std::abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the line reader's block and the size of the pieces fed the second
    // time, so that blocks and commands cross both.
    const std::size_t block = data[0] % 16 + 1;
    const std::size_t piece = data[0] / 16 + 1;
    ++data;
    --size;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const QString path = QStringLiteral("fuzz.gbr");

    Board by_lines;
    bool refused_lines = false;
    try {
        const int fd = memory_file(data, size, "gerber");
        JobFileLineReader lines(fd, path, kGerberLineRules, block);
        GerberReader reader(by_lines);
        JobFileLineReader::Line line;
        while (!reader.ended() && lines.next(line)) {
            reader.feed(line.text, path);
        }
        reader.finish();
    } catch (const OperationAbandoned&) {
        refused_lines = true;
    }

    Board by_pieces;
    bool refused_pieces = false;
    try {
        GerberReader reader(by_pieces);
        for (std::size_t at = 0; at < text.size() && !reader.ended(); at += piece) {
            reader.feed(text.substr(at, piece), path);
        }
        reader.finish();
    } catch (const OperationAbandoned&) {
        refused_pieces = true;
    }

    if (summary(by_lines, refused_lines) != summary(by_pieces, refused_pieces)) {
        std::abort();
    }
    if (!refused_lines) {
        check_apertures(by_lines);
        by_lines.extents();
    }
    return 0;
}
