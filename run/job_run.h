// One job of the headless runner on a machine of its own: set-up, the job, and what it came to.
#pragma once

#include "core/clock.h"
#include "core/picture.h"
#include "jobs/controller.h"
#include "run/console_operator.h"
#include "run/run_options.h"

#include <QSize>
#include <cstdio>
#include <memory>

namespace ostrel {

class SimBackend;

struct RunOutcome {
    bool ran_to_end = false;  // no error abandoned it
    bool started = false;     // the machine was set up and the job began
    QString failure;          // why it could not start (bad option value, port not usable)
};

class JobRun {
public:
    // The file-view window's design size, which previews without a window draw into.
    static constexpr QSize kFileViewOuter{395, 347};
    static constexpr QSize kFileViewClient{387, 320};

    JobRun(const RunOptions& options, Clock& clock, std::FILE* messages);
    ~JobRun();

    // Opens the port, applies the settings and the start position, loads the apertures and runs
    // the job; every message goes to the operator as it happens. A set-up that fails (the port,
    // an aperture file that can't be read) leaves the job not started.
    RunOutcome run();
    // Puts the trace, if one is written, in its place: empty, or the reason it could not be.
    QString finish_trace();

    Controller& controller() { return controller_; }
    ConsoleOperator& console() { return console_; }
    // The simulated machine behind the port, or null on a real port.
    SimBackend* simulated_machine() const { return sim_; }
    std::uint8_t port_id() const;
    // The picture the job drew: the track, or the file view for a preview.
    const ImagePicture& picture() const;
    double machine_seconds() const;

private:
    class WindowlessFileView;

    bool set_up(RunOutcome& outcome);
    void run_job();

    const RunOptions& options_;
    Clock& clock_;
    ConsoleOperator console_;
    ImagePicture track_;
    ImagePicture file_view_picture_;
    std::unique_ptr<WindowlessFileView> file_view_;
    Controller controller_;
    SimBackend* sim_ = nullptr;
};

}  // namespace ostrel
