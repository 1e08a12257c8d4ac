// What a dry run of a long job costs: the step loop on the simulated machine, and the estimate.
// Usage: bench_dry_run
#include "core/clock.h"
#include "run/job_run.h"

#include <sys/resource.h>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>

namespace {

using namespace ostrel;

constexpr int kLines = 10'000;

// kLines LINE entities, both ends anywhere in a square of side mm.
bool write_random_lines(const QString& path, double side) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    std::mt19937 random(15);
    std::uniform_real_distribution<double> place(0, side);
    QByteArray text = "  0\nSECTION\n  2\nENTITIES\n";
    char entity[256];
    for (int i = 0; i < kLines; ++i) {
        std::snprintf(entity, sizeof entity,
                      "  0\nLINE\n  8\n0\n 10\n%.4f\n 20\n%.4f\n 30\n0.0\n 11\n%.4f\n 21\n%.4f\n"
                      " 31\n0.0\n",
                      place(random), place(random), place(random), place(random));
        text += entity;
    }
    text += "  0\nENDSEC\n  0\nEOF\n";
    return file.write(text) == text.size();
}

double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Outcome {
    double wall = 0;
    double cpu = 0;
    std::int64_t steps = 0;
    std::int64_t wait_ticks = 0;
    int messages = 0;
};

// The draw job on the simulated machine, stepped or counted from its moves.
Outcome run_draw_job(const RunOptions& options, bool counted) {
    std::FILE* nowhere = std::fopen("/dev/null", "w");
    SimulatedClock clock;
    Outcome out;
    {
        JobRun run(options, clock, nowhere != nullptr ? nowhere : stderr);
        run.controller().mover.set_counting(counted);
        const double cpu = cpu_seconds();
        const auto started = std::chrono::steady_clock::now();
        run.run();
        out.wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        out.cpu = cpu_seconds() - cpu;
        const StepEngine::Totals& totals = run.controller().engine.totals();
        for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
            out.steps += totals.forward_steps[axis] + totals.backward_steps[axis];
        }
        out.wait_ticks = totals.wait_ticks;
        out.messages = run.console().messages_shown();
    }
    if (nowhere != nullptr) {
        std::fclose(nowhere);
    }
    return out;
}

}  // namespace

int main() {
    QTemporaryDir folder;
    QFile settings(folder.filePath(QStringLiteral("cfg.ini")));
    const QString small = folder.filePath(QStringLiteral("lines-20mm.dxf"));
    const QString large = folder.filePath(QStringLiteral("lines-100mm.dxf"));
    if (!folder.isValid() || !settings.open(QIODevice::WriteOnly) ||
        !write_random_lines(small, 20) || !write_random_lines(large, 100)) {
        std::fprintf(stderr, "bench_dry_run: the job files could not be written\n");
        return 2;
    }
    // The factory ratios, and travel limits the jobs stay inside.
    settings.write(
        "[machine]\nmm_per_step_x=0.0025\nmm_per_step_y=0.0025\nmm_per_step_z=0.0025\n"
        "travel_limit_x=1000\ntravel_limit_y=1000\ntravel_limit_z=1000\n");
    settings.close();
    RunOptions options;
    options.page = RunPage::Dxf;
    options.port.kind = PortKind::Sim;
    options.config = settings.fileName();

    options.file = small;
    const Outcome stepped = run_draw_job(options, false);
    const Outcome counted = run_draw_job(options, true);
    if (stepped.messages != 0 || counted.messages != 0) {
        std::fprintf(stderr, "bench_dry_run: the job told the operator something\n");
        return 1;
    }
    std::printf(
        "dry run, %d random lines in 20 mm: %lld steps in %.2f s wall, %.2f s CPU: "
        "%.1f M steps/s wall, %.1f M steps/s CPU (%.1f ns a step)  goal >= 20 M steps/s\n",
        kLines, static_cast<long long>(stepped.steps), stepped.wall, stepped.cpu,
        static_cast<double>(stepped.steps) / stepped.wall / 1e6,
        static_cast<double>(stepped.steps) / stepped.cpu / 1e6,
        stepped.cpu * 1e9 / static_cast<double>(stepped.steps));
    std::printf(
        "estimate of the same job: %.3f s wall, machine time %lld ns, stepped %lld ns: %s"
        "  goal: the same to the tick\n",
        counted.wall, static_cast<long long>(counted.wait_ticks),
        static_cast<long long>(stepped.wait_ticks),
        counted.wait_ticks == stepped.wait_ticks ? "the same" : "DIFFERENT");

    options.file = large;
    const Outcome estimate = run_draw_job(options, true);
    std::printf("estimate, %d random lines in 100 mm (%lld steps): %.3f s wall  goal < 1 s\n",
                kLines, static_cast<long long>(estimate.steps), estimate.wall);
    return counted.wait_ticks == stepped.wait_ticks ? 0 : 1;
}
