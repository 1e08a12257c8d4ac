// Helpers of the Gerber tests.
#include "tests/gerber/gerber_test_support.h"

#include "tests/support/job_texts.h"

namespace ostrel::testing {

GerberRig::GerberRig() {
    type_job_parameters(panel, {.drill_depth = QStringLiteral("2")});
    panel.page = 1;
    panel.returns_to_origin = false;
}

}  // namespace ostrel::testing
