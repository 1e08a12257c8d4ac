// Helpers of the Gerber tests: a recording picture, a file-view window, and the test machine on
// the Gerber page.
#pragma once

#include "core/picture.h"
#include "gerber/gerber_preview.h"
#include "tests/support/job_rig.h"
#include "tests/support/recording_picture.h"

namespace ostrel::testing {

// The file-view window at its design size, around any picture.
class FakeFileView final : public FileView {
public:
    explicit FakeFileView(Picture& picture) : picture_(picture) {}
    void show() override { ++shown; }
    Picture& picture() override { return picture_; }
    QSize outer_size() const override { return outer; }

    int shown = 0;
    QSize outer{395, 347};

private:
    Picture& picture_;
};

// The job rig on the Gerber page, with the texts the window fills in for the drawing job, a
// drilling depth of 2 mm, and no return to the origin.
struct GerberRig : JobRig {
    GerberRig();
    GerberRegisters& registers() { return gerber.interpreter().registers(); }
};

}  // namespace ostrel::testing
