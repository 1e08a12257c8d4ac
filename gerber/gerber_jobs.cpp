// The Gerber plotting and drilling job: the file's data lines handed to the interpreter in turn.
#include "gerber/gerber_jobs.h"

#include "core/job_file.h"
#include "core/job_file_lines.h"
#include "gerber/gerber_file.h"

namespace ostrel {

GerberJobs::KeptRegisters::KeptRegisters(GerberJobs& jobs)
    : jobs_(jobs),
      registers_(jobs.interpreter_.registers()),
      drill_depth_(jobs.interpreter_.drill_depth()),
      view_(jobs.view_) {
    jobs_.view_ = nullptr;
}

GerberJobs::KeptRegisters::~KeptRegisters() {
    jobs_.interpreter_.registers() = registers_;
    jobs_.interpreter_.set_drill_depth(drill_depth_);
    jobs_.view_ = view_;
}

void GerberJobs::plot() {
    set_plot_mode(true);
    set_drill_mode(false);
    interpreter_.registers().aperture_pending = false;
    run_gerber_job();
}

void GerberJobs::drill(double depth_mm) {
    interpreter_.set_drill_depth(depth_mm);
    set_drill_mode(true);
    run_gerber_job();
}

void GerberJobs::run_gerber_job() {
    machine_.read_job_parameters();
    // A preview's drawing mode would otherwise paint the job's millimetres as pixels over it.
    interpreter_.registers().preview_mode = false;
    if (view_ != nullptr) {
        view_->show();
    }
    const QString path = machine_.panel().field_text(Field::GerberFile);
    if (!job_file_exists(path, machine_.op(), Field::GerberFile)) {
        return;
    }
    GerberFileLines reader(path);
    const MachineState& s = machine_.state();
    JobFileLineReader::Line line;
    while (!s.stop_requested && reader.next(line)) {
        if (line.text.empty() || line.text.front() == '%') {
            continue;
        }
        interpreter_.run_line(line.text);
    }
}

}  // namespace ostrel
