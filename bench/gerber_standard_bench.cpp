// What the standard Gerber reading and its "Проспотр" cost on a 10 MB board, in time and memory.
#include "bench/bench_support.h"
#include "core/clock.h"
#include "core/operator.h"
#include "core/picture.h"
#include "gerber/board_jobs.h"
#include "gerber/gerber_reader.h"
#include "motion/machine.h"
#include "motion/mover.h"
#include "motion/step_engine.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace ostrel;
using namespace ostrel::bench;

constexpr std::int64_t kTargetBytes = 10 << 20;
// The file-view window's picture at its design size.
const QSize kPicture(387, 320);

class QuietOperator final : public SilentOperator {
public:
    void show_message(MessageKind, const QString&) override {}
};

// Many shapes: a board as CAD programs write one, tracks, footprints of pads, arcs and a few
// poured areas. Few shapes: as many bytes, mostly comments and object attributes.
enum class Profile { ManyShapes, FewShapes };

class BoardWriter {
public:
    explicit BoardWriter(const QString& path) {
        out_ = std::fopen(QFile::encodeName(path).constData(), "wb");
        if (out_ == nullptr) {
            throw std::runtime_error("can't write the benchmark file");
        }
    }
    ~BoardWriter() { std::fclose(out_); }
    BoardWriter(const BoardWriter&) = delete;
    BoardWriter& operator=(const BoardWriter&) = delete;

    __attribute__((format(printf, 2, 3))) void put(const char* format, ...) {
        char line[512];
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        std::fwrite(line, 1, static_cast<std::size_t>(n), out_);
        bytes += n;
    }
    // A number in [0, range), the same sequence on every machine.
    std::uint32_t next(std::uint32_t range) {
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(random_()) * range) >> 32);
    }

    std::int64_t bytes = 0;

private:
    std::FILE* out_ = nullptr;
    std::mt19937 random_{12345};
};

// Coordinates in millionths of a millimetre (4.6 format), on a 100 x 80 mm board.
constexpr long kWidth = 100'000'000;
constexpr long kHeight = 80'000'000;

long clamp_x(long x) {
    return std::clamp(x, 1'000'000L, kWidth - 1'000'000L);
}
long clamp_y(long y) {
    return std::clamp(y, 1'000'000L, kHeight - 1'000'000L);
}

void write_header(BoardWriter& w) {
    w.put("G04 Generated for the reading benchmark*\n");
    w.put("%%TF.GenerationSoftware,Bench,Board,1.0*%%\n");
    w.put("%%TF.FileFunction,Copper,L1,Top*%%\n");
    w.put("%%FSLAX46Y46*%%\n");
    w.put("%%MOMM*%%\n");
    w.put("%%LPD*%%\n");
    w.put("G01*\n");
    w.put("%%AMRoundRect*\n0 Rectangle with rounded corners*\n");
    w.put("21,1,$1,$2-$3-$3,0,0,0*\n21,1,$1-$3-$3,$2,0,0,0*\n");
    w.put("1,1,$3+$3,$1/2-$3,$2/2-$3*\n1,1,$3+$3,-$1/2+$3,$2/2-$3*\n");
    w.put("1,1,$3+$3,$1/2-$3,-$2/2+$3*\n1,1,$3+$3,-$1/2+$3,-$2/2+$3*%%\n");
    w.put("%%ADD10C,0.254000*%%\n");
    w.put("%%ADD11C,0.150000*%%\n");
    w.put("%%ADD12R,1.600000X1.200000*%%\n");
    w.put("%%ADD13O,1.500000X2.500000*%%\n");
    w.put("%%ADD14RoundRect,1.200000X0.900000X0.200000*%%\n");
    w.put("%%ADD15C,1.800000*%%\n");
    w.put("G75*\n");
}

struct Counts {
    std::int64_t tracks = 0, arcs = 0, pads = 0, regions = 0;
};

// An arc from the current point around a centre 0.5 to 2 mm away, a quarter to three quarters
// round; the end is rounded to the file's resolution as a CAD program rounds it.
void write_arc(BoardWriter& w, long& x, long& y) {
    const double radius = 500'000.0 + w.next(1'500'000);
    const double start = w.next(360) * std::numbers::pi / 180;
    const double sweep = (90.0 + w.next(180)) * std::numbers::pi / 180;
    const bool clockwise = w.next(2) == 0;
    const double cx = static_cast<double>(x) - radius * std::cos(start);
    const double cy = static_cast<double>(y) - radius * std::sin(start);
    const double end = start + (clockwise ? -sweep : sweep);
    const long ex = std::lround(cx + radius * std::cos(end));
    const long ey = std::lround(cy + radius * std::sin(end));
    w.put("%sX%ldY%ldI%ldJ%ldD01*\n", clockwise ? "G02" : "G03", ex, ey,
          std::lround(cx - static_cast<double>(x)), std::lround(cy - static_cast<double>(y)));
    w.put("G01*\n");
    x = ex;
    y = ey;
}

// A poured area: a rectangle whose last corner is rounded with an arc.
void write_region(BoardWriter& w, long& x, long& y) {
    const long x0 = clamp_x(static_cast<long>(w.next(kWidth)));
    const long y0 = clamp_y(static_cast<long>(w.next(kHeight)));
    const long a = 2'000'000 + static_cast<long>(w.next(6'000'000));
    const long b = 2'000'000 + static_cast<long>(w.next(6'000'000));
    const long r = 1'000'000;
    w.put("G36*\nX%ldY%ldD02*\n", x0, y0);
    w.put("X%ldY%ldD01*\n", x0 + a, y0);
    w.put("X%ldY%ldD01*\n", x0 + a, y0 + b - r);
    w.put("G03X%ldY%ldI%ldJ%ldD01*\nG01*\n", x0 + a - r, y0 + b, -r, 0L);
    w.put("X%ldY%ldD01*\n", x0, y0 + b);
    w.put("X%ldY%ldD01*\n", x0, y0);
    w.put("G37*\n");
    x = x0;
    y = y0;
}

// A footprint: one aperture selected, then a row of pads.
void write_footprint(BoardWriter& w, long& x, long& y, Counts& counts) {
    w.put("D%u*\n", 12 + w.next(4));
    x = clamp_x(static_cast<long>(w.next(kWidth)));
    y = clamp_y(static_cast<long>(w.next(kHeight)));
    const int pads = 2 + static_cast<int>(w.next(14));
    const long first = x;
    for (int i = 0; i < pads; ++i) {
        x = clamp_x(first + i * 2'540'000L);
        w.put("X%ldY%ldD03*\n", x, y);
    }
    counts.pads += pads;
}

// Tracks: a random walk of D01 segments, now and then a move, an arc or the other width.
void write_tracks(BoardWriter& w, long& x, long& y, Counts& counts) {
    w.put("D%u*\n", 10 + w.next(2));
    const int pieces = 10 + static_cast<int>(w.next(40));
    for (int i = 0; i < pieces; ++i) {
        const std::uint32_t kind = w.next(100);
        if (kind < 8) {
            x = clamp_x(static_cast<long>(w.next(kWidth)));
            y = clamp_y(static_cast<long>(w.next(kHeight)));
            w.put("X%ldY%ldD02*\n", x, y);
        } else if (kind < 14) {
            write_arc(w, x, y);
            ++counts.arcs;
        } else {
            const long step = 2'000'000;
            x = clamp_x(x + static_cast<long>(w.next(2 * step + 1)) - step);
            y = kind < 60 ? y : clamp_y(y + static_cast<long>(w.next(2 * step + 1)) - step);
            w.put("X%ldY%ldD01*\n", x, y);
            ++counts.tracks;
        }
    }
}

// What the file holds, as its writer counted it.
struct GeneratedFile {
    QString path;
    std::int64_t bytes = 0;
    Counts counts;
    std::int64_t shapes() const {
        return counts.tracks + counts.arcs + counts.pads + counts.regions;
    }
};

GeneratedFile generate(const QString& path, Profile profile) {
    GeneratedFile file{path, 0, {}};
    {
        BoardWriter w(path);
        write_header(w);
        long x = kWidth / 2;
        long y = kHeight / 2;
        long net = 0;
        while (w.bytes < kTargetBytes) {
            if (profile == Profile::FewShapes) {
                // A net's attributes and a long comment for every one of its few objects.
                w.put("%%TO.N,/bus/signal_%ld*%%\n%%TO.C,U%ld*%%\n", net, net % 97);
                for (int k = 0; k < 400; ++k) {
                    w.put(
                        "G04 net %ld: routed by hand, checked against the schematic revision "
                        "C, clearance 0.2 mm, line %d*\n",
                        net, k);
                }
                w.put("%%TD*%%\n");
                ++net;
            }
            const std::uint32_t kind = w.next(100);
            if (kind < 60) {
                write_tracks(w, x, y, file.counts);
            } else if (kind < 99) {
                write_footprint(w, x, y, file.counts);
            } else {
                write_region(w, x, y);
                ++file.counts.regions;
            }
        }
        w.put("M02*\n");
        file.bytes = w.bytes;
    }
    return file;
}

// Reads the file once, so that the runs measure the reader, not the disk.
void warm(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::abort();
    }
    while (!file.read(1 << 20).isEmpty()) {
    }
}

// The one preview the operator's "Проспотр" makes: read, placed, fitted and painted.
struct PreviewRig {
    explicit PreviewRig(const QString& path)
        : panel(path),
          track(kPicture),
          machine(op, panel, track),
          engine(machine, clock),
          mover(machine, engine),
          jobs(machine, mover),
          picture(kPicture),
          view(picture) {}

    BoardJobReport preview(const QString& path) { return jobs.preview(path, {}, view); }

    QuietOperator op;
    FilePanel panel;
    PenOnlyPicture track;
    Machine machine;
    SimulatedClock clock;
    StepEngine engine;
    Mover mover;
    GerberStandardJobs jobs;
    ImagePicture picture;
    BenchView view;
};

double inked_share(const QImage& image) {
    std::int64_t inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            inked += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    return static_cast<double>(inked) / (image.width() * image.height());
}

void read_and_preview(benchmark::State& state, const GeneratedFile& file) {
    PreviewRig rig(file.path);
    BoardJobReport report;
    for (auto _ : state) {
        report = rig.preview(file.path);
        benchmark::DoNotOptimize(rig.picture.image().constBits());
    }
    const long long shapes = report.tracks + report.arcs + report.pads + report.regions;
    if (shapes != file.shapes()) {
        state.SkipWithError("the preview read other shapes than the file holds");
    }
    state.SetBytesProcessed(state.iterations() * file.bytes);
    state.counters["file_MB"] = static_cast<double>(file.bytes) / 1e6;
    state.counters["shapes"] = static_cast<double>(shapes);
    state.counters["inked_pct"] = 100 * inked_share(rig.picture.image());
    state.SetLabel("read, placed, fitted and painted on 387x320");
}

void read_only(benchmark::State& state, const GeneratedFile& file) {
    for (auto _ : state) {
        const Board board = read_gerber_file(file.path);
        benchmark::DoNotOptimize(board.levels.data());
    }
    state.SetBytesProcessed(state.iterations() * file.bytes);
    state.counters["file_MB"] = static_cast<double>(file.bytes) / 1e6;
    state.SetLabel("read_gerber_file alone");
}

// The peak memory one preview adds, measured in a child process of its own so that no earlier
// run's peak hides it.
long preview_growth_kb(const GeneratedFile& file) {
    int channel[2];
    if (pipe(channel) != 0) {
        std::abort();
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        PreviewRig rig(file.path);
        const long before = peak_rss_kb();
        rig.preview(file.path);
        const long growth = peak_rss_kb() - before;
        if (write(channel[1], &growth, sizeof growth) != sizeof growth) {
            _exit(1);
        }
        _exit(0);
    }
    close(channel[1]);
    long growth = -1;
    if (read(channel[0], &growth, sizeof growth) != sizeof growth) {
        growth = -1;
    }
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return growth;
}

void describe(const char* name, const GeneratedFile& file) {
    std::printf("%s: %.2f MB, %lld shapes (%lld tracks, %lld arcs, %lld pads, %lld regions)\n",
                name, static_cast<double>(file.bytes) / 1e6, static_cast<long long>(file.shapes()),
                static_cast<long long>(file.counts.tracks),
                static_cast<long long>(file.counts.arcs), static_cast<long long>(file.counts.pads),
                static_cast<long long>(file.counts.regions));
}

// One preview of FILE, for timing the whole process beside another program's; the picture is
// saved to PNG when one is named, to compare one build's with another's.
int preview_once(const char* path, const char* png) {
    const QString file = QString::fromLocal8Bit(path);
    PreviewRig rig(file);
    const long before = peak_rss_kb();
    const auto start = std::chrono::steady_clock::now();
    const BoardJobReport report = rig.preview(file);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "read + preview: %lld tracks, %lld arcs, %lld pads, %lld regions in %.3f s; "
        "peak RSS %.1f MB (+%.1f MB)\n",
        report.tracks, report.arcs, report.pads, report.regions, seconds,
        static_cast<double>(peak_rss_kb()) / 1024,
        static_cast<double>(peak_rss_kb() - before) / 1024);
    if (png != nullptr && !rig.picture.image().save(QString::fromLocal8Bit(png))) {
        std::fprintf(stderr, "can't save %s\n", png);
        return 1;
    }
    return 0;
}

double min_of(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}
double max_of(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

}  // namespace

int main(int argc, char** argv) {
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--preview-once") == 0) {
        return preview_once(argv[2], argc == 4 ? argv[3] : nullptr);
    }
    if (argc >= 3 && std::strcmp(argv[1], "--write") == 0) {
        const bool few = argc == 4 && std::strcmp(argv[3], "few") == 0;
        describe(argv[2], generate(QString::fromLocal8Bit(argv[2]),
                                   few ? Profile::FewShapes : Profile::ManyShapes));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const GeneratedFile many =
        generate(dir.filePath(QStringLiteral("many-shapes.gbr")), Profile::ManyShapes);
    const GeneratedFile few =
        generate(dir.filePath(QStringLiteral("few-shapes.gbr")), Profile::FewShapes);
    describe("many shapes", many);
    describe("few shapes", few);
    warm(many.path);
    warm(few.path);
    // Before any run here, so that the children start from the small process the files left.
    for (const auto& [name, file] :
         {std::pair{"many shapes", &many}, std::pair{"few shapes", &few}}) {
        const long kb = preview_growth_kb(*file);
        std::printf("%s: one preview adds %.1f MB peak RSS, %.0f bytes a shape\n", name,
                    static_cast<double>(kb) / 1024,
                    static_cast<double>(kb) * 1024 / static_cast<double>(file->shapes()));
    }
    std::fflush(stdout);
    for (const auto& [name, file] :
         {std::pair{"many_shapes", &many}, std::pair{"few_shapes", &few}}) {
        for (const auto& [pass, run] :
             {std::pair{"read_preview/", &read_and_preview}, std::pair{"read/", &read_only}}) {
            benchmark::RegisterBenchmark((std::string("gerber_standard/") + pass + name).c_str(),
                                         run, *file)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(1)
                ->Repetitions(7)
                ->ComputeStatistics("min", min_of)
                ->ComputeStatistics("max", max_of);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
