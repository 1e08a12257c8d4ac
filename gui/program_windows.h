// The program's four windows, made and wired together as the operator's program has them.
#pragma once

#include "core/clock.h"
#include "gui/desktop.h"
#include "gui/file_view_window.h"
#include "gui/main_window.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"
#include "port/port_options.h"

namespace ostrel {

// Opens the back end the options name when the main window asks for it; a trace file that
// can't be opened is told on standard error.
PortBackendFactory port_backend_factory(const PortOptions& options);

class ProgramWindows {
public:
    // The main window runs its start-up here (port, settings); the others start hidden.
    ProgramWindows(Desktop& desktop, PortBackendFactory open_backend, Clock& clock);

    MainWindow main;
    StopDialog stop;
    FileViewWindow file_view;
    TrackWindow track;
};

}  // namespace ostrel
