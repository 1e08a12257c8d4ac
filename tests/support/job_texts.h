// The job-parameter texts the tests type into the panel, and the ones the window (and the
// headless runner) fill in themselves for each job kind.
#pragma once

#include "tests/support/recording_operator.h"

#include <QString>
#include <optional>

namespace ostrel::testing {

// What the job-parameter edits hold, as typed; by default what the window fills in when the
// drawing job is chosen. The drilling depth is typed only when given.
struct JobTexts {
    QString speed_xy = QStringLiteral("2,5");
    QString speed_xy_rapid = QStringLiteral("2,5");
    QString z_travel = QStringLiteral("0,5");
    QString speed_z_up = QStringLiteral("1,5");
    QString speed_z_down = QStringLiteral("1,5");
    std::optional<QString> drill_depth = std::nullopt;

    static JobTexts drawing() { return {}; }
    // What the window fills in when the drilling job is chosen.
    static JobTexts drilling() {
        return {.speed_z_down = QStringLiteral("0,2"), .drill_depth = QStringLiteral("2")};
    }
};

void type_job_parameters(FakePanel& panel, const JobTexts& texts);

}  // namespace ostrel::testing
