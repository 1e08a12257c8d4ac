// How the program reaches the parallel port: the back end chosen on the command line, and tracing.
#pragma once

#include "port/port_backend.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace ostrel {

enum class PortKind { Auto, Ppdev, Direct, Sim };

struct PortOptions {
    PortKind kind = PortKind::Auto;
    // Which simulated ports exist, by base address; all three by default.
    bool sim_3bc = true;
    bool sim_378 = true;
    bool sim_278 = true;
    // Simulated ports at other base addresses, listed after the classic three.
    std::vector<unsigned long> sim_added;
    QString trace_path;  // empty: no trace
};

// "auto", "ppdev", "direct", "sim"; empty when the word names no back end.
std::optional<PortKind> port_kind_from_name(const QString& name);

// "3bc,378,278" or any subset, and other base addresses in hex ("d010"), as many as there are
// identifiers for; empty when an item is not a base address (hex digits, a multiple of four up to
// ffff) or there are more added ports than identifiers.
std::optional<PortOptions> with_sim_ports(PortOptions options, const QString& list);

// Takes --port=P (or --port P), --sim-ports=LIST (or --sim-ports LIST) and --trace FILE (or
// --trace=FILE) out of arguments, leaving the rest in order; scanning stops at "--". OSTREL_PORT
// gives the back end when --port is absent. On a bad or missing value returns empty and sets
// error to a line for the operator.
std::optional<PortOptions> take_port_options(QStringList& arguments, PortKind default_kind,
                                             QString& error);

// The back end the options name; for Auto: ppdev if any port device opens, else direct I/O if
// permitted, else a back end that is not open and carries the error code of the ppdev attempt.
// Wrapped in the trace writer when a trace file is named. When the trace file can't be made the
// back end is not open (port_failure_message tells why) and error, if given, is set to a line
// for the operator: a run asked to leave a trace must not go on without one.
std::unique_ptr<PortBackend> make_port_backend(const PortOptions& options,
                                               QString* error = nullptr);

// The simulated machine behind a back end made by make_port_backend, looking through a trace
// writer; null for the other kinds.
class SimBackend;
SimBackend* find_sim_backend(PortBackend* backend);
// The trace writer of a back end made by make_port_backend; null without a trace.
class TraceBackend;
TraceBackend* find_trace_backend(PortBackend* backend);

// Why the port can't be used, for the start-up message: the trace file that could not be made,
// with the system's reason, or the driver error with its code and the system's text for it.
class LptPortConnection;
QString port_failure_message(LptPortConnection& connection);

}  // namespace ostrel
