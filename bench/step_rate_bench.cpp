// Step rate and per-step overhead of the engine on a real clock, with and without the window.
// Usage: bench_step_rate [--window] [--steps-per-rate-scale N]
#include "bench/step_timing.h"
#include "gui/file_view_window.h"
#include "gui/main_window.h"
#include "gui/screen/wait_painter.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"
#include "gui/window_operator.h"
#include "jobs/controller.h"
#include "port/sim_backend.h"
#include "run/console_operator.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using namespace ostrel;

struct Rate {
    double hz;
    int steps;
    double window_goal;  // the share of the rate the window must keep, percent (0: none)
};
// About two seconds of stepping at each rate (three at the slowest, for its percentiles).
constexpr Rate kRates[] = {
    {1000, 3000, 99.5}, {5000, 10000, 0}, {20000, 40000, 0}, {100000, 200000, 95}};
// How soon a key must be answered while the machine steps, milliseconds.
constexpr double kAnswerGoalMs = 2;

// Posts itself an event and times how long the step loop takes to let it through, again and
// again: a key press from the window system waits the same way.
class AnswerProbe final : public QObject {
public:
    void start() {
        latencies_ms.clear();
        post();
    }
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User) {
            return QObject::event(event);
        }
        latencies_ms.push_back(static_cast<double>(since_.nsecsElapsed()) / 1e6);
        post();
        return true;
    }
    std::vector<double> latencies_ms;

private:
    void post() {
        since_.start();
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }
    QElapsedTimer since_;
};

// after_rate, if given, reports on the screen over the seconds one rate took.
void run_rates(const char* setting, Machine& machine, StepEngine& engine,
               const std::function<bench::StepTimingClock*(std::size_t steps)>& fresh_clock,
               const std::function<void(double)>& after_rate = {}) {
    for (const Rate& rate : kRates) {
        bench::StepTimingClock* clock = fresh_clock(2 * static_cast<std::size_t>(rate.steps));
        // One step takes |ratio| / speed seconds: the speed that asks for this rate.
        const double speed = std::abs(machine.state().mm_per_step[AXIS_X]) * rate.hz;
        engine.step_axis(AXIS_X, rate.steps, speed);
        engine.step_axis(AXIS_X, -rate.steps, speed);  // back, so the track stays in view
        bench::print_step_figures(setting, rate.hz, *clock, after_rate ? rate.window_goal : 0);
        if (after_rate) {
            after_rate(clock->seconds());
        }
    }
}

// The engine's clock is fixed when it is made; this one hands each rate a fresh record.
class SwitchingClock final : public Clock {
public:
    std::int64_t counter() override { return current->counter(); }
    std::int64_t frequency() override { return current->frequency(); }
    void spin_until(std::int64_t target) override { current->spin_until(target); }
    bench::StepTimingClock* fresh(std::size_t steps) {
        timing = std::make_unique<bench::StepTimingClock>(steps + 16);
        current = timing.get();
        return current;
    }
    std::unique_ptr<bench::StepTimingClock> timing = std::make_unique<bench::StepTimingClock>(16);
    bench::StepTimingClock* current = timing.get();
};

int without_window() {
    RunOptions options;
    ConsoleOperator console(options, stderr);
    ImagePicture track(QSize(TrackView::kWidth, TrackView::kHeight));
    SwitchingClock clock;
    Controller controller(console, console, track, clock);
    controller.machine.open_port(std::make_unique<SimBackend>());
    // The factory ratios, and travel limits no bench move reaches: nothing to warn about.
    MachineParameters parameters = MachineParameters::defaults();
    parameters.travel_limit = {0, 100000, 100000, 100000};
    controller.machine.state().apply(parameters);
    console.set_port_name(QStringLiteral("$378"));
    run_rates("no window", controller.machine, controller.engine,
              [&clock](std::size_t steps) { return clock.fresh(steps); });
    // What the system alone does to a busy-wait: a late step or a late answer as long as this is
    // the machine's doing, not the program's.
    MonotonicClock real;
    std::int64_t longest = 0;
    const std::int64_t end = real.counter() + 3 * real.frequency();
    for (std::int64_t last = real.counter(), now = last; now < end; last = now) {
        now = real.counter();
        longest = std::max(longest, now - last);
    }
    std::printf("system: a bare busy-wait of 3 s lost the processor for at most %.3f ms at once\n",
                static_cast<double>(longest) / 1e6);
    return 0;
}

// Nobody sits at a benchmark: a box that would wait for a person ends the run with its text.
class UnattendedDesktop final : public Desktop {
public:
    void message_box(QWidget*, const QString&, const QString& text, QMessageBox::Icon) override {
        fail(text);
    }
    bool question_box(QWidget*, const QString&, const QString& text, QMessageBox::Icon) override {
        fail(text);
    }
    QString open_file_name(QWidget*, const QString&, const QString&, const QString&) override {
        fail(QStringLiteral("a file dialog"));
    }
    QString save_file_name(QWidget*, const QString&, const QString&, const QString&,
                           const QString&) override {
        fail(QStringLiteral("a file dialog"));
    }
    void open_url(const QUrl&) override {}
    void end_program(int exit_status) override { std::exit(exit_status); }

private:
    [[noreturn]] static void fail(const QString& text) {
        std::fprintf(stderr, "bench_step_rate: the window would wait for a person: %s\n",
                     text.toUtf8().constData());
        std::fflush(stderr);
        std::_Exit(2);
    }
};

// The window reads cfg.ini from its working folder: the benchmark's own, with the factory ratios
// and travel limits no benchmark move reaches, in a folder of its own.
bool enter_settings_folder(const QTemporaryDir& folder) {
    QFile settings(folder.filePath(QStringLiteral("cfg.ini")));
    if (!folder.isValid() || !settings.open(QIODevice::WriteOnly)) {
        return false;
    }
    settings.write(
        "[machine]\nmm_per_step_x = 0.0025\nmm_per_step_y = 0.0025\nmm_per_step_z = 0.0025\n"
        "travel_limit_x = 100000\ntravel_limit_y = 100000\ntravel_limit_z = 100000\n"
        "backlash_x = 0\nbacklash_y = 0\nbacklash_z = 0\n");
    settings.close();
    return QDir::setCurrent(folder.path());
}

int with_window(int argc, char* argv[]) {
    prefer_socket_repaints();  // as the program does
    QApplication app(argc, argv);
    const QTemporaryDir folder;
    if (!enter_settings_folder(folder)) {
        std::fprintf(stderr, "bench_step_rate: no folder for the benchmark's settings\n");
        return 2;
    }
    UnattendedDesktop desktop;
    SwitchingClock clock;
    MainWindow main_window(
        desktop, [] { return std::make_unique<SimBackend>(); }, clock);
    StopDialog stop_dialog;
    FileViewWindow file_view_window;
    TrackWindow track_window(main_window.track_picture());
    main_window.attach_windows(stop_dialog, file_view_window, track_window);
    main_window.show();
    main_window.hide_splash();  // the splash off
    // The manual tab, as the operator sees it during a jog: the progress bar is on it.
    main_window.findChild<QTabWidget*>(QStringLiteral("mainTabs"))->setCurrentIndex(0);
    // The first step of a session shows the track window, whose first paint (about 12 ms, once)
    // delays the second step: a few steps there and back before the figures, as after the
    // operator's first jog.
    main_window.controller().engine.step_axis(AXIS_X, 4, 1.0);
    main_window.controller().engine.step_axis(AXIS_X, -4, 1.0);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500) {
        QApplication::processEvents();
    }
    const WaitPainter& painter = main_window.window_operator().wait_painter();
    std::int64_t draws_before = painter.draws();
    AnswerProbe probe;
    run_rates(
        "window", main_window.machine(), main_window.controller().engine,
        [&clock, &painter, &probe](std::size_t steps) {
            bench::StepTimingClock* timing = clock.fresh(steps);
            timing->draw_counter = [&painter] { return painter.draws(); };
            probe.start();
            return timing;
        },
        [&](double seconds) {
            std::printf(
                "           answered: an event waited median %.3f ms, p99.9 %.3f ms, max %.3f ms  "
                "goal <= %.0f ms\n",
                bench::percentile(probe.latencies_ms, 0.5),
                bench::percentile(probe.latencies_ms, 0.999),
                bench::percentile(probe.latencies_ms, 1.0), kAnswerGoalMs);
            // How live the screen stayed (the displays and the track, drawn from the waits), and
            // what made the late steps late.
            const auto [drew, other] = clock.current->late_steps(50);
            std::printf(
                "           screen: %.1f window repaints a second; steps over 50 us: %d after "
                "a wait that drew, %d after others\n",
                static_cast<double>(painter.draws() - draws_before) / seconds, drew, other);
            draws_before = painter.draws();
        });
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            return with_window(argc, argv);
        }
    }
    return without_window();
}
