// The machine's view of a run: port writes, or a trace file, turned back into motor steps.
#pragma once

#include "port/lpt_port_connection.h"
#include "port/step_decoder.h"

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace ostrel::testing {

// The writes of a trace text, one "0xAA V" line each; throws std::invalid_argument naming the
// first line that is not in that form.
std::vector<PortRecord> parse_trace(const QString& text);
// The same for a trace file; throws std::runtime_error when it can't be read.
std::vector<PortRecord> read_trace_file(const QString& path);

// Feeds the data-register writes of one port (identifier 0x10, 0x20 or 0x30) to a fresh
// decoder, as the machine wired to that port would take them; other writes are passed over.
StepDecoder decode_writes(std::span<const PortRecord> writes, std::uint8_t port);
StepDecoder decode_trace(const QString& text, std::uint8_t port);

}  // namespace ostrel::testing
