// The hint a classic-mode job gives for a file written for the true-size reading.
#pragma once

#include <QString>

namespace ostrel {

// For a file that declares its format or units (%FS or %MO in a Gerber file, METRIC or INCH in a
// drill file's M48 header): the line that points to the standard mode, added to the question a
// job beyond the travel limits asks. Empty for any other file, and for one that can't be read
// (the job itself then says why).
QString classic_mode_hint(const QString& path);

}  // namespace ostrel
