// Fuzzes the Gerber interpreter: any lines in any mix of preview, plot and drill mode either run
// through or end with the operator's message, on a simulated machine and a real picture.
#include "core/clock.h"
#include "core/operation_abandoned.h"
#include "core/picture.h"
#include "gerber/aperture_table.h"
#include "gerber/gerber_interpreter.h"
#include "motion/machine.h"
#include "motion/mover.h"
#include "motion/step_engine.h"
#include "port/sim_backend.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

using namespace ostrel;

// Ends an input whose moves would take longer than a fuzzing run should wait.
struct StepBudgetSpent {};

class BudgetOperator final : public SilentOperator {
public:
    void process_messages() override {
        if (++steps > 20000) {
            throw StepBudgetSpent{};
        }
    }
    long steps = 0;
};

class FuzzPanel final : public Panel {
public:
    QString field_text(Field field) const override {
        switch (field) {
            case Field::MarkerDiameter:
                return bad_marker ? QStringLiteral("_5") : QStringLiteral("05");
            case Field::ZTravel:
                return QStringLiteral("0,5");
            case Field::Port:
                return QStringLiteral("$378");
            default:
                return QStringLiteral("2,5");
        }
    }
    int jog_speed_position() const override { return 10; }
    int jog_distance_position() const override { return 1; }
    bool return_to_origin() const override { return false; }
    bool bad_marker = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t modes = data[0];
    BudgetOperator op;
    FuzzPanel panel;
    panel.bad_marker = (data[1] & 1) != 0;
    PenOnlyPicture track{QSize(585, 457)};
    Machine machine(op, panel, track);
    auto backend = std::make_unique<SimBackend>();
    SimBackend* sim = backend.get();
    machine.open_port(std::move(backend));
    sim->machine(PORT_378).clear_counts();  // the probe's bytes are no steps
    machine.state().apply(MachineParameters::defaults());
    // Coarse steps keep honest moves short; the budget ends the rest.
    machine.state().mm_per_step = {0, 0.5, 0.5, 0.5};
    SimulatedClock clock;
    StepEngine engine(machine, clock);
    Mover mover(machine, engine);
    machine.read_job_parameters();

    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    ApertureTable table;
    ApertureGrid grid;
    ApertureLoader loader(table, grid);
    loader.start();
    GerberInterpreter interpreter(machine, mover, table);
    ImagePicture picture(QSize(387, 320));
    interpreter.set_picture(&picture);
    interpreter.set_strokes((data[1] & 2) == 0);
    interpreter.set_drill_depth(2);
    GerberRegisters& r = interpreter.registers();
    r.preview_mode = (modes & 1) != 0;
    r.plot_mode = (modes & 2) != 0;
    r.drill_mode = (modes & 4) != 0;
    r.view_scale = (modes >> 3) + 0.5;

    std::size_t start = 0;
    try {
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) {
                end = text.size();
            }
            const std::string_view line = text.substr(start, end - start);
            loader.take_line(line);
            interpreter.run_line(line);
            start = end + 1;
        }
    } catch (const OperationAbandoned&) {
    } catch (const StepBudgetSpent&) {
    }
    // The preview never moves the machine, and no mode loses a step on the motors.
    const StepDecoder& motors = sim->machine(PORT_378);
    for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
        const bool moved = motors.forward_steps(axis) != 0 || motors.backward_steps(axis) != 0;
        if ((moved && !r.plot_mode && !r.drill_mode) || motors.faults(axis) != 0) {
            std::abort();
        }
    }
    return 0;
}
