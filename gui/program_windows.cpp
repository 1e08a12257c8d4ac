// ProgramWindows: the main window first (its start-up opens the port), then the windows it uses.
#include "gui/program_windows.h"

#include <cstdio>

namespace ostrel {

PortBackendFactory port_backend_factory(const PortOptions& options) {
    return [options] {
        QString trace_error;
        auto backend = make_port_backend(options, &trace_error);
        if (!backend && !trace_error.isEmpty()) {
            std::fprintf(stderr, "ostrel: %s\n", qPrintable(trace_error));
        }
        return backend;
    };
}

ProgramWindows::ProgramWindows(Desktop& desktop, PortBackendFactory open_backend, Clock& clock)
    : main(desktop, std::move(open_backend), clock), track(main.track_picture()) {
    main.attach_windows(stop, file_view, track);
}

}  // namespace ostrel
