// What "Проспотр" costs on a large Gerber file: both preview passes onto the file-view picture.
#include "bench/bench_support.h"
#include "core/clock.h"
#include "core/picture.h"
#include "gerber/gerber_page.h"
#include "motion/machine.h"
#include "motion/mover.h"
#include "motion/step_engine.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace ostrel;
using namespace ostrel::bench;

class QuietOperator final : public SilentOperator {
public:
    void show_message(MessageKind, const QString& text) override { messages.append(text); }
    QStringList messages;
};

struct GeneratedFile {
    QString path;
    std::int64_t bytes = 0;
    std::int64_t lines = 0;
};

// A board of traces, moves and pads within 100 x 100 mm, written line by line so that making it
// costs no memory of its size.
GeneratedFile generate(const QString& path, std::int64_t target_bytes) {
    std::FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (out == nullptr) {
        throw std::runtime_error("can't write the benchmark file");
    }
    GeneratedFile file{path, 0, 0};
    const auto put = [&](const std::string& line) {
        std::fputs(line.c_str(), out);
        file.bytes += static_cast<std::int64_t>(line.size());
        ++file.lines;
    };
    put("%FSLAX24Y24*%\n");
    put("%MOMM*%\n");
    put("%ADD10C,0.0160*%\n");
    put("%ADD11R,0.0600X0.0700*%\n");
    put("G54D10*\n");
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    int x = 5000;
    int y = 5000;
    char line[64];
    while (file.bytes < target_bytes) {
        const std::uint32_t kind = next(10);
        if (kind < 7) {
            // A short trace segment, a random walk kept on the board.
            x = std::clamp(x + static_cast<int>(next(801)) - 400, 0, 10000);
            y = std::clamp(y + static_cast<int>(next(801)) - 400, 0, 10000);
            std::snprintf(line, sizeof line, "X%dY%dD01*\n", x, y);
        } else if (kind < 9) {
            x = static_cast<int>(next(10001));
            y = static_cast<int>(next(10001));
            std::snprintf(line, sizeof line, "X%dY%dD02*\n", x, y);
        } else {
            std::snprintf(line, sizeof line, "X%dY%dD03*\n", x, y);
        }
        put(line);
    }
    put("M02*\n");
    std::fclose(out);
    return file;
}

// The Gerber page of a machine whose panel names the file.
struct PreviewRig {
    explicit PreviewRig(const QString& path) : panel(path) {}
    QuietOperator op;
    FilePanel panel;
    PenOnlyPicture track{QSize(387, 320)};
    Machine machine{op, panel, track};
    SimulatedClock clock;
    StepEngine engine{machine, clock};
    Mover mover{machine, engine};
    GerberPage page{machine, mover};
};

void run_preview(benchmark::State& state, const GeneratedFile& file, bool paint) {
    PreviewRig rig(file.path);
    QuietOperator& op = rig.op;
    GerberPage& page = rig.page;
    ImagePicture image(QSize(387, 320));
    PenOnlyPicture pen_only{QSize(387, 320)};
    BenchView view(paint ? static_cast<Picture&>(image) : static_cast<Picture&>(pen_only));
    for (auto _ : state) {
        page.show_gerber_preview(view);
    }
    if (!op.messages.isEmpty()) {
        state.SkipWithError(op.messages.front().toUtf8().constData());
    }
    state.SetBytesProcessed(state.iterations() * file.bytes * 2);  // two passes
    state.counters["file_MB"] = static_cast<double>(file.bytes) / (1024.0 * 1024.0);
    state.counters["file_lines"] = static_cast<double>(file.lines);
    state.counters["px_per_mm"] = page.interpreter().registers().view_scale;
    state.counters["peak_rss_MB"] = peak_rss_mb();
    if (paint) {
        // Share of the picture drawn on, to show the strokes really reached it.
        std::int64_t inked = 0;
        const QImage& picture = image.image();
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                inked += picture.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
            }
        }
        state.counters["inked_pct"] =
            100.0 * static_cast<double>(inked) / (picture.width() * picture.height());
    }
    state.SetLabel(paint ? "both passes onto a 387x320 picture" : "both passes, pen only");
}

// One preview of FILE, for timing the whole process beside another program's.
int preview_once(const char* path) {
    PreviewRig rig(QString::fromLocal8Bit(path));
    ImagePicture image(QSize(387, 320));
    BenchView view(image);
    rig.page.show_gerber_preview(view);
    benchmark::DoNotOptimize(image.image().constBits());
    for (const QString& message : rig.op.messages) {
        std::fprintf(stderr, "message: %s\n", message.toUtf8().constData());
    }
    return rig.op.messages.isEmpty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // The classic board for another program to read: bench_gerber_preview --write FILE.
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        generate(QString::fromLocal8Bit(argv[2]), 10 << 20);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--preview-once") == 0) {
        return preview_once(argv[2]);
    }
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    // The small file runs first: peak RSS only grows, so equal figures after the large file mean
    // memory does not follow the file's size.
    const GeneratedFile small = generate(dir.filePath(QStringLiteral("board1.gbr")), 1 << 20);
    const GeneratedFile large = generate(dir.filePath(QStringLiteral("board10.gbr")), 10 << 20);
    benchmark::RegisterBenchmark("gerber_preview/1MB/picture", [&](benchmark::State& s) {
        run_preview(s, small, true);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("gerber_preview/10MB/pen_only", [&](benchmark::State& s) {
        run_preview(s, large, false);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("gerber_preview/10MB/picture", [&](benchmark::State& s) {
        run_preview(s, large, true);
    })->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
