// Fuzzes a whole job of the headless runner on the simulated machine: the command line, the page
// chosen by the file's name, the aperture table loaded from the file, and the job reading it.
// Whatever the file holds, the run ends with the job done or a message, never otherwise; the
// motors lose no step, and neither a preview nor a binary file moves anything.
#include "core/clock.h"
#include "port/sim_backend.h"
#include "run/job_run.h"
#include "run/run_options.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace ostrel;

// Ends an input whose moves would take longer than a fuzzing run should wait.
struct StepBudgetSpent {};

// Coarse steps keep honest jobs short; the budget ends the rest.
constexpr char kSettings[] =
    "[machine]\nmm_per_step_x = 0.5\nmm_per_step_y = 0.5\nmm_per_step_z = 0.5\n"
    "travel_limit_x = 1000\ntravel_limit_y = 1000\ntravel_limit_z = 1000\n";

bool write_file(const QString& path, const char* data, std::size_t size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(data, static_cast<qint64>(size)) == static_cast<qint64>(size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte chooses the job, the file's kind by its name, and the aperture source.
    const std::uint8_t choice = data[0];
    const char* const jobs[] = {"draw", "drill", "preview", "draw"};
    const char* const names[] = {"job.gbr", "job.dxf", "job.drl", "JOB.DXF"};
    const char* job = jobs[choice & 3];
    const char* name = names[(choice >> 2) & 3];
    const bool no_apertures = (choice & 0x10) != 0;
    ++data;
    --size;

    QTemporaryDir dir;
    const QString file = dir.filePath(QLatin1String(name));
    const QString settings = dir.filePath(QStringLiteral("cfg.ini"));
    if (!write_file(file, reinterpret_cast<const char*>(data), size) ||
        !write_file(settings, kSettings, sizeof kSettings - 1)) {
        std::abort();
    }
    QStringList arguments = {QStringLiteral("--job"), QLatin1String(job),
                             QStringLiteral("--config"), settings};
    if (no_apertures) {
        arguments << QStringLiteral("--apertures") << QStringLiteral("none");
    }
    arguments << file;
    QString error;
    const std::optional<RunOptions> options = parse_run_options(arguments, error);
    if (!options || !file_usage_error(*options).isEmpty()) {
        std::abort();  // a well-formed command line
    }

    std::FILE* nowhere = std::fopen("/dev/null", "w");
    if (nowhere == nullptr) {
        std::abort();
    }
    SimulatedClock clock;
    {
        JobRun run(*options, clock, nowhere);
        long steps = 0;
        run.console().set_idle_work([&steps] {
            if (++steps > 20000) {
                throw StepBudgetSpent{};
            }
        });
        bool spent = false;
        RunOutcome outcome;
        try {
            outcome = run.run();
        } catch (const StepBudgetSpent&) {
            spent = true;
        }
        // A run that did not start told why.
        if (!spent && !outcome.started && run.console().errors_shown() == 0) {
            std::abort();
        }
        const SimBackend* sim = run.simulated_machine();
        if (sim == nullptr) {
            std::abort();
        }
        const StepDecoder& motors = sim->machine(run.port_id());
        // Either page refuses a file with a NUL byte in its first kilobyte before it moves.
        const bool binary =
            size > 0 && std::memchr(data, '\0', std::min<std::size_t>(size, 1024)) != nullptr;
        for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
            const bool moved = motors.forward_steps(axis) != 0 || motors.backward_steps(axis) != 0;
            if (motors.faults(axis) != 0 ||
                (moved && (options->job == RunJob::Preview || binary))) {
                std::abort();
            }
        }
    }
    std::fclose(nowhere);
    return 0;
}
