// The headless runner's job: the same controller and jobs as the window, the operator a console.
#include "run/job_run.h"

#include <QFileInfo>

#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "gerber/aperture_table.h"
#include "gerber/gerber_preview.h"
#include "port/port_options.h"
#include "port/sim_backend.h"
#include "port/trace_backend.h"

namespace ostrel {

class JobRun::WindowlessFileView final : public FileView {
public:
    explicit WindowlessFileView(ImagePicture& picture) : picture_(picture) {}
    void show() override {}
    Picture& picture() override { return picture_; }
    QSize outer_size() const override { return kFileViewOuter; }

private:
    ImagePicture& picture_;
};

JobRun::JobRun(const RunOptions& options, Clock& clock, std::FILE* messages)
    : options_(options),
      clock_(clock),
      console_(options, messages),
      track_(QSize(TrackView::kWidth, TrackView::kHeight)),
      file_view_picture_(kFileViewClient),
      file_view_(std::make_unique<WindowlessFileView>(file_view_picture_)),
      controller_(console_, console_, track_, clock) {
    controller_.gerber.set_file_view(file_view_.get());
}

JobRun::~JobRun() = default;

std::uint8_t JobRun::port_id() const {
    return controller_.machine.selected_port_id();
}

const ImagePicture& JobRun::picture() const {
    return options_.job == RunJob::Preview ? file_view_picture_ : track_;
}

double JobRun::machine_seconds() const {
    return static_cast<double>(controller_.engine.totals().wait_ticks) /
           static_cast<double>(clock_.frequency());
}

bool JobRun::set_up(RunOutcome& outcome) {
    Machine& machine = controller_.machine;
    QString error;
    std::unique_ptr<PortBackend> backend = make_port_backend(options_.port, &error);
    if (!error.isEmpty()) {
        outcome.failure = error;
        return false;
    }
    machine.open_port(std::move(backend));
    if (!machine.port_connection().is_ready()) {
        console_.show_message(MessageKind::Error, port_failure_message(machine.port_connection()));
        return false;
    }
    const QStringList ports = machine.probe_port_list();
    console_.set_port_name(ports.isEmpty() ? QString() : ports.front());
    sim_ = find_sim_backend(machine.port_connection().backend());
    if (sim_ != nullptr) {
        // The probes' test patterns are no steps: count the job's from here.
        for (std::uint8_t port : {PORT_3BC, PORT_378, PORT_278}) {
            sim_->machine(port).clear_counts();
        }
        for (const AddedPort& port : sim_->added_ports()) {
            sim_->machine(port.id).clear_counts();
        }
    }
    machine.load_settings(options_.config);

    const QString starts[3] = {options_.start_x, options_.start_y, options_.start_z};
    for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
        const auto count = parse_ten_thousandths(dot_to_comma(starts[axis - 1]));
        if (!count) {
            outcome.failure =
                QStringLiteral("the start position \"%1\" is not a number").arg(starts[axis - 1]);
            return false;
        }
        machine.state().position(static_cast<Axis>(axis)) =
            static_cast<double>(static_cast<Extended>(*count) / 10000.0L);
    }
    // As the file dialog would: the apertures of the chosen file, or of another one. A job file
    // that is missing is left to the job to report, once.
    const QString source = options_.apertures.isEmpty() ? options_.file : options_.apertures;
    // The standard reading takes the apertures from the file as it reads it.
    const bool apertures_wanted = options_.page == RunPage::Gerber && !options_.standard &&
                                  options_.apertures != QLatin1String("none") &&
                                  (!options_.apertures.isEmpty() || QFileInfo::exists(source));
    if (apertures_wanted) {
        // A table that could not be loaded ends the run: the job would plot with the wrong one.
        const int errors_before = console_.errors_shown();
        ApertureGrid grid;
        load_apertures(source, controller_.gerber.aperture_table(), grid, console_);
        return console_.errors_shown() == errors_before;
    }
    return true;
}

void JobRun::run_job() {
    switch (options_.job) {
        case RunJob::Draw:
            controller_.jobs.run_draw_job();
            break;
        case RunJob::Drill:
            controller_.jobs.run_drill_job();
            break;
        case RunJob::Preview:
            if (options_.page == RunPage::Dxf) {
                controller_.previews.dxf(file_view_picture_, kFileViewOuter.height());
            } else if (options_.page == RunPage::Gcode) {
                controller_.previews.gcode(*file_view_);
            } else {
                controller_.previews.gerber(*file_view_);
            }
            break;
    }
}

QString JobRun::finish_trace() {
    if (!controller_.machine.has_port()) {
        return {};
    }
    TraceBackend* trace = find_trace_backend(controller_.machine.port_connection().backend());
    return trace == nullptr || trace->finish() ? QString() : trace->trace_error();
}

RunOutcome JobRun::run() {
    RunOutcome outcome;
    try {
        if (!set_up(outcome)) {
            return outcome;
        }
    } catch (const OperationAbandoned& abandoned) {
        console_.show_message(MessageKind::Error, abandoned.message());
        return outcome;
    }
    outcome.started = true;
    const int errors_before = console_.errors_shown();
    try {
        run_job();
    } catch (const OperationAbandoned& abandoned) {
        console_.show_message(MessageKind::Error, abandoned.message());
    }
    outcome.ran_to_end = console_.errors_shown() == errors_before;
    return outcome;
}

}  // namespace ostrel
