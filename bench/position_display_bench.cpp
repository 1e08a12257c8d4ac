// What one position update costs the step loop: the three display texts and one track line.
#include "core/number_text.h"
#include "core/picture.h"
#include "motion/machine.h"

#include <benchmark/benchmark.h>

namespace {

using namespace ostrel;

// An operator that only keeps the texts, as the window's throttled display does between repaints.
class KeepingOperator final : public SilentOperator {
public:
    void show_position(double x, double y, double z) override {
        shown[0] = x;
        shown[1] = y;
        shown[2] = z;
    }
    double shown[3] = {};
};

class IdlePanel final : public Panel {
public:
    QString field_text(Field) const override { return {}; }
    int jog_speed_position() const override { return 10; }
    int jog_distance_position() const override { return 1; }
    bool return_to_origin() const override { return true; }
};

void BM_show_fixed4(benchmark::State& state) {
    double value = 12.3456;
    for (auto _ : state) {
        benchmark::DoNotOptimize(show_fixed4(value));
        value += 0.0025;
    }
    state.SetLabel("one position text");
}
BENCHMARK(BM_show_fixed4);

void BM_view_xyz_one_step(benchmark::State& state) {
    KeepingOperator op;
    IdlePanel panel;
    ImagePicture picture(QSize(TrackView::kWidth, TrackView::kHeight));
    Machine machine(op, panel, picture);
    machine.state().apply(MachineParameters::defaults());
    machine.state().job.z_travel = 0.5;
    for (auto _ : state) {
        // One X step along the picture, wrapping so the line stays in view.
        machine.state().pos_x += 0.0025;
        if (machine.state().pos_x > 100) {
            machine.state().pos_x = 0;
        }
        machine.view_xyz();
    }
    state.SetLabel("texts + one track line per step");
}
BENCHMARK(BM_view_xyz_one_step);

}  // namespace

BENCHMARK_MAIN();
