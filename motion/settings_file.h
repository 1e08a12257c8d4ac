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
// a comma. A missing key takes its default silently; a value that can't be used (not a number, a
// ratio of 0, a limit that is not a whole number, a negative backlash) takes its default and is
// named in the message.
SettingsRead read_settings_file(const QString& path);

// Writes all nine keys atomically (the old file stays whole if writing fails). Returns an empty
// string on success, else the reason for the operator.
QString write_settings_file(const QString& path, const MachineParameters& parameters);

enum class ParameterKind { Ratio, Limit, Backlash };

// A machine parameter as typed in the file or on the settings tab: a point or a comma, full
// precision. Empty when unusable: not a number, a ratio of 0, a limit that is not a whole number
// of the 32-bit range, a negative backlash.
std::optional<double> read_parameter(ParameterKind kind, const QString& text);

// The key of a parameter in the file, e.g. "mm_per_step_x".
QString settings_key(const char* parameter, Axis axis);

}  // namespace ostrel
