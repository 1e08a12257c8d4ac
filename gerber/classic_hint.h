// The hint a classic-mode job gives for a file written for the true-size reading.
#pragma once

#include "motion/machine_state.h"

#include <QString>

namespace ostrel {

// The message for a file that declares its format or units (%FS or %MO in a Gerber file, METRIC
// or INCH in a drill file's M48 header) and whose path, as the classic mode reads its X and Y
// words (hundredths of a millimetre), leaves the travel area; empty for any other file, and for
// one that can't be read (the job itself then says why).
QString classic_mode_hint(const QString& path, const MachineState& state);

}  // namespace ostrel
