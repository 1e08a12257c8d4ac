// What the standard DXF reading costs on a large drawing of polylines and arcs: the pairs alone,
// the whole reading with its curves flattened, and the classic LINE pass over the same file.
#include "bench/bench_support.h"
#include "dxf/dxf_reader.h"
#include "dxf/dxf_standard_reader.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace ostrel;
using namespace ostrel::bench;

constexpr qint64 kTargetBytes = 100'000'000;

// About 100 MB as AutoCAD writes R2000 drawings: three parts of LWPOLYLINEs (eight vertices,
// every third segment bulged) to one of ARCs and a few LINEs, streamed out in chunks.
qint64 write_drawing(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::abort();
    }
    std::string chunk;
    char text[4096];
    unsigned handle = 0x200;
    for (int i = 0; file.size() + static_cast<qint64>(chunk.size()) < kTargetBytes; ++i) {
        const double x = (i % 500) * 1.7312345678;
        const double y = (i / 500 % 500) * 1.3187654321;
        int n = 0;
        if (i % 4 != 3) {
            n = std::snprintf(text, sizeof text,
                              "  0\nLWPOLYLINE\n  5\n%X\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\n"
                              "AcDbPolyline\n 90\n        8\n 70\n     %d\n 43\n0.0\n",
                              handle++, i % 5 == 0 ? 1 : 0);
            for (int v = 0; v < 8; ++v) {
                n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n),
                                   " 10\n%.6f\n 20\n%.6f\n", x + 0.21 * v + 0.013 * (i % 7),
                                   y + ((v % 2) ? 0.35 : 0.0));
                if (v % 3 == 1) {
                    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n),
                                       " 42\n%.6f\n", v % 2 ? 0.41421356 : -0.2679492);
                }
            }
        } else if (i % 40 == 3) {
            n = std::snprintf(
                text, sizeof text,
                "  0\nLINE\n  5\n%X\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n"
                " 10\n%.6f\n 20\n%.6f\n 30\n0.0\n 11\n%.6f\n 21\n%.6f\n 31\n0.0\n",
                handle++, x, y, x + 1.5, y + 0.25);
        } else {
            n = std::snprintf(text, sizeof text,
                              "  0\nARC\n  5\n%X\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\n"
                              "AcDbCircle\n 10\n%.6f\n 20\n%.6f\n 30\n0.0\n 40\n%.6f\n100\n"
                              "AcDbArc\n 50\n%.6f\n 51\n%.6f\n",
                              handle++, x, y, 0.5 + (i % 9) * 0.25, (i % 12) * 30.0,
                              (i % 12) * 30.0 + 45.0 + (i % 5) * 20.0);
        }
        chunk.append(text, static_cast<std::size_t>(n));
        if (chunk.size() > (1 << 20)) {
            file.write(chunk.data(), static_cast<qint64>(chunk.size()));
            chunk.clear();
        }
    }
    const std::string head =
        "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  9\n$INSUNITS\n 70\n     4\n"
        "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n";
    chunk += "  0\nENDSEC\n  0\nEOF\n";
    file.write(chunk.data(), static_cast<qint64>(chunk.size()));
    file.close();
    // The header goes in front: the file is rewritten once, in place, through a second name.
    QFile::rename(path, path + ".body");
    QFile body(path + ".body");
    QFile whole(path);
    if (!body.open(QIODevice::ReadOnly) || !whole.open(QIODevice::WriteOnly)) {
        std::abort();
    }
    whole.write(head.data(), static_cast<qint64>(head.size()));
    while (!body.atEnd()) {
        whole.write(body.read(1 << 20));
    }
    body.remove();
    return whole.size();
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

// Counts what the reader hands on and keeps nothing: the reading's memory alone.
struct CountingSink final : DxfShapeSink {
    std::int64_t paths = 0;
    std::int64_t points = 0;
    void path(std::span<const PointMm> p) override {
        ++paths;
        points += static_cast<std::int64_t>(p.size());
        benchmark::DoNotOptimize(p.back().x);
    }
    void point(PointMm) override {}
    void circle(PointMm, double) override {}
};

void report(benchmark::State& state, qint64 bytes, const char* label) {
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(bytes) / 1e6,
        benchmark::Counter::kIsRate);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_rss_MB"] = peak_rss_mb();
    state.SetLabel(label);
}

void pairs_only(benchmark::State& state, const QString& path, qint64 bytes) {
    for (auto _ : state) {
        DxfPairReader pairs(path);
        DxfPair pair;
        std::int64_t count = 0;
        while (pairs.next(pair)) {
            ++count;
        }
        benchmark::DoNotOptimize(count);
    }
    report(state, bytes, "pairs, warm cache");
}

void standard_read(benchmark::State& state, const QString& path, qint64 bytes) {
    CountingSink sink;
    for (auto _ : state) {
        sink = {};
        DxfStandardReader reader(path, {});
        reader.read(sink);
    }
    state.counters["paths"] = static_cast<double>(sink.paths);
    state.counters["points"] = static_cast<double>(sink.points);
    report(state, bytes, "standard read, curves at 0.001 mm, warm cache");
}

void classic_line_pass(benchmark::State& state, const QString& path, qint64 bytes) {
    std::int64_t lines = 0;
    for (auto _ : state) {
        DxfReader pass(path, DxfReader::Entity::Line);
        lines = 0;
        while (const auto line = pass.next_line_entity()) {
            benchmark::DoNotOptimize(line->x2);
            ++lines;
        }
    }
    state.counters["lines"] = static_cast<double>(lines);
    report(state, bytes, "classic LINE pass, warm cache");
}

// One standard read of FILE, for timing the whole process beside another program's.
int read_once(const char* file) {
    const auto start = std::chrono::steady_clock::now();
    CountingSink sink;
    DxfStandardReader reader(QString::fromLocal8Bit(file), {});
    reader.read(sink);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double mb = static_cast<double>(QFile(QString::fromLocal8Bit(file)).size()) / 1e6;
    std::printf(
        "standard read: %lld paths, %lld points, %.1f MB in %.3f s: %.0f MB/s, "
        "peak RSS %.1f MB\n",
        static_cast<long long>(sink.paths), static_cast<long long>(sink.points), mb, seconds,
        mb / seconds, peak_rss_mb());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--read-once") == 0) {
        return read_once(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        write_drawing(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("polylines-and-arcs.dxf"));
    const qint64 bytes = write_drawing(path);
    warm(path);
    std::fprintf(stderr, "drawing: %lld bytes; peak RSS before the passes %.1f MB\n",
                 static_cast<long long>(bytes), peak_rss_mb());
    for (const auto& [name, run] :
         {std::pair{"BM_dxf_pairs", &pairs_only}, std::pair{"BM_dxf_standard_read", &standard_read},
          std::pair{"BM_dxf_classic_line_pass", &classic_line_pass}}) {
        benchmark::RegisterBenchmark(name, run, path, bytes)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(3)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
