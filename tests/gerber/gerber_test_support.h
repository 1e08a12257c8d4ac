// Helpers of the Gerber tests: a recording picture, a file-view window, and the test machine on
// the Gerber page.
#pragma once

#include "core/picture.h"
#include "gerber/gerber_preview.h"
#include "tests/support/fake_file_view.h"
#include "tests/support/job_rig.h"
#include "tests/support/recording_picture.h"

namespace ostrel::testing {

// The job rig on the Gerber page, with the texts the window fills in for the drawing job, a
// drilling depth of 2 mm, and no return to the origin.
struct GerberRig : JobRig {
    GerberRig();
    GerberRegisters& registers() { return gerber.interpreter().registers(); }
};

}  // namespace ostrel::testing
