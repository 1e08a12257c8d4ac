// Helpers of the Gerber tests: a recording picture, a file-view window, and a whole Gerber page
// on the test machine.
#pragma once

#include "core/picture.h"
#include "dxf/dxf_jobs.h"
#include "gerber/gerber_page.h"
#include "gerber/gerber_preview.h"
#include "jobs/job_buttons.h"
#include "tests/support/machine_rig.h"
#include "tests/support/recording_picture.h"

#include <QByteArray>
#include <QString>
#include <vector>

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

// The Gerber page and the job buttons on the test machine, with the drawing job's defaults typed
// into the job-parameter edits and the drilling depth of 2 mm.
struct GerberRig {
    GerberRig();

    // Points the Gerber page's file field at path.
    void use_file(const QString& path) { rig.panel.texts[Field::GerberFile] = path; }
    GerberRegisters& registers() { return page.interpreter().registers(); }

    MachineRig rig;
    GerberPage page{rig.machine, rig.mover};
    DxfJobs dxf{rig.machine, rig.mover};
    JobButtons buttons{rig.machine, rig.mover, dxf, page.jobs()};
};

}  // namespace ostrel::testing
