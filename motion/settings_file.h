// The settings file cfg.ini: the nine machine parameters, read leniently and written atomically.
#pragma once

#include "motion/machine_state.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace ostrel {

struct SettingsRead {
    bool file_exists = false;
    MachineParameters parameters = MachineParameters::defaults();
    // Keys whose value could not be used; the default stands in for each.
    QStringList bad_keys;
    // One message for the operator naming the file and every bad key; empty when all is well.
    QString message;
};

// Reads [machine] mm_per_step_x|y|z, travel_limit_x|y|z, backlash_x|y|z. Numbers take a point or
// a comma; LF, CR LF and a lone CR end lines; UTF-16 is read where a byte-order mark says so. A
// missing key takes its default silently; a value that can't be used (see read_parameter, and a
// backlash larger than its axis's travel limit) takes its default and is named in the message,
// and so is a key the program does not know. A file that can't be read, holds NUL bytes, is larger
// than 1 MiB or has no [machine] section gives the defaults and a message saying so.
SettingsRead read_settings_file(const QString& path);

// Writes all nine keys, each number in the shortest form that reads back the same, through a
// file beside it that replaces it only once written whole and read back: a failed write (a full
// disk) leaves the old file as it was. Returns an empty string on success, else the reason for
// the operator, which says when the old file was kept.
QString write_settings_file(const QString& path, const MachineParameters& parameters);

enum class ParameterKind { Ratio, Limit, Backlash };

// A machine parameter as typed in the file or on the settings tab: a point or a comma, full
// precision. Empty when unusable: not a number, a ratio whose size is outside 0.000001..100 mm
// per step, a limit that is not a whole number of the 32-bit range, a negative backlash.
std::optional<double> read_parameter(ParameterKind kind, const QString& text);

// Whether a backlash can be meant for an axis of this travel limit: no larger than the travel.
bool backlash_fits(double backlash, std::int32_t travel_limit);

// The key of a parameter in the file, e.g. "mm_per_step_x".
QString settings_key(const char* parameter, Axis axis);

}  // namespace ostrel
