// What reading a large DXF costs: LINE-pass throughput, the memory it holds, an automatic preview.
#include "bench/bench_support.h"
#include "core/picture.h"
#include "dxf/dxf_preview.h"
#include "dxf/dxf_reader.h"
#include "motion/machine.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace ostrel;
using namespace ostrel::bench;

constexpr int kLines = 1'000'000;

// One million LINE entities as AutoCAD writes them in R12 form (handle, layer, six coordinates,
// six decimals), about 100 MB, streamed out so that the writer holds no copy of the file.
qint64 write_drawing(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::abort();
    }
    std::string chunk;
    char entity[512];
    for (int i = 0; i < kLines; ++i) {
        const double x = (i % 1000) * 0.3012345678;
        const double y = (i / 1000) * 0.2487654321;
        const int n = std::snprintf(entity, sizeof entity,
                                    "  0\nLINE\n  5\n%X\n  8\n0\n 10\n%.6f\n 20\n%.6f\n 30\n"
                                    "0.0\n 11\n%.6f\n 21\n%.6f\n 31\n0.0\n",
                                    0x100 + i, x, y, x + 0.5, y + 0.25);
        chunk.append(entity, static_cast<std::size_t>(n));
        if (chunk.size() > (1 << 20)) {
            file.write(chunk.data(), static_cast<qint64>(chunk.size()));
            chunk.clear();
        }
    }
    chunk += "  0\nENDSEC\n  0\nEOF\n";
    file.write(chunk.data(), static_cast<qint64>(chunk.size()));
    return file.size();
}

// Reads the file once so that the passes measure the reader, not the disk.
void warm(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::abort();
    }
    while (!file.read(1 << 20).isEmpty()) {
    }
}

class QuietOperator final : public SilentOperator {
public:
    void show_message(MessageKind, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    }
};

class PreviewPanel final : public Panel {
public:
    explicit PreviewPanel(QString path) : path_(std::move(path)) {}
    QString field_text(Field field) const override {
        return field == Field::DxfFile ? path_ : QString();
    }
    int jog_speed_position() const override { return 10; }
    int jog_distance_position() const override { return 1; }
    bool return_to_origin() const override { return true; }
    int file_page() const override { return 0; }
    bool auto_zoom() const override { return true; }

private:
    QString path_;
};

// Seconds one run of each took, for the goal: the preview at most twice one LINE pass.
struct Figures {
    double line_pass = 0;
    double preview = 0;
};

double seconds_since(std::chrono::steady_clock::time_point start, benchmark::State& state) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
           static_cast<double>(state.iterations());
}

void line_pass(benchmark::State& state, const QString& path, qint64 bytes, Figures* figures) {
    std::int64_t lines = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        DxfReader pass(path, DxfReader::Entity::Line);
        lines = 0;
        while (const auto line = pass.next_line_entity()) {
            benchmark::DoNotOptimize(line->x2);
            ++lines;
        }
    }
    figures->line_pass = seconds_since(start, state);
    if (lines != kLines) {
        state.SkipWithError("the pass did not find every LINE");
    }
    // bytes_per_second is in MiB/s; MB_per_s gives the same rate in decimal megabytes.
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(bytes) / 1e6,
        benchmark::Counter::kIsRate);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_rss_MB"] = peak_rss_mb();
    state.SetLabel("LINE pass, warm cache");
}

void auto_zoom_preview(benchmark::State& state, const QString& path, Figures* figures) {
    QuietOperator op;
    PreviewPanel panel(path);
    ImagePicture track(QSize(585, 457));
    Machine machine(op, panel, track);
    DxfPreview preview(machine);
    ImagePicture picture(QSize(387, 320));
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        preview.render_dxf_preview(picture, 347);
        benchmark::DoNotOptimize(picture.image().constBits());
    }
    figures->preview = seconds_since(start, state);
    state.counters["zoom"] = preview.preview_zoom();
    state.counters["peak_rss_MB"] = peak_rss_mb();
    state.SetLabel("box pass + drawing pass on a 387 x 320 picture");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("million-lines.dxf"));
    const qint64 bytes = write_drawing(path);
    warm(path);
    std::fprintf(stderr,
                 "drawing: %lld bytes, %d LINE entities; peak RSS before the passes %.1f MB\n",
                 static_cast<long long>(bytes), kLines, peak_rss_mb());
    // Rates by the clock on the wall: a pass that waits on the kernel gains nothing by it.
    Figures figures;
    benchmark::RegisterBenchmark("BM_dxf_line_pass", line_pass, path, bytes, &figures)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(3)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_dxf_auto_zoom_preview", auto_zoom_preview, path, &figures)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (figures.line_pass > 0 && figures.preview > 0) {
        std::printf("auto-zoom preview %.3f s, one LINE pass %.3f s: %.2f LINE passes  goal <= 2\n",
                    figures.preview, figures.line_pass, figures.preview / figures.line_pass);
    }
    return 0;
}
