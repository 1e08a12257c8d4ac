// The headless runner's command line: which job on which file, with which parameters and port.
#pragma once

#include "core/operator.h"
#include "core/placement.h"
#include "port/port_options.h"

#include <QString>
#include <QStringList>
#include <map>
#include <optional>

namespace ostrel {

enum class RunJob { Draw, Drill, Preview };
enum class RunPage { Dxf, Gerber, Gcode };

struct RunOptions {
    QString file;
    RunJob job = RunJob::Draw;
    RunPage page = RunPage::Gerber;
    // Job-parameter texts as typed into the edits; a field not given takes what the job-kind
    // switch fills in for the job's kind.
    std::map<Field, QString> typed;
    QString marker = QStringLiteral("05");
    QString apertures;  // empty: the job file itself; "none": no table loaded
    bool return_to_origin = true;
    QString start_x = QStringLiteral("0"), start_y = QStringLiteral("0"),
            start_z = QStringLiteral("0");
    int zoom = 1;
    bool auto_zoom = false;
    bool idle_moves = false;
    PortOptions port;
    QString config = QStringLiteral("cfg.ini");
    bool realtime = false;
    QString png;
    bool json = false;
    bool help = false;
    // The true-size reading of the page, and where its drawing lands.
    bool standard = false;
    PlacementOrigin origin = PlacementOrigin::File;
    QString offset_x = QStringLiteral("0"), offset_y = QStringLiteral("0");
    bool mirror_x = false;
    QString dxf_unit;  // empty: the file's $INSUNITS
    bool circles_as_holes = true;

    // The text of a job-parameter field for this run.
    QString field_text(Field field) const;
};

// Parses the arguments after the program name. Empty with error set for bad usage.
// The page a file goes to when --page is not given: .dxf the DXF page, .nc .ngc .gcode .tap the
// G-code page, anything else the Gerber page.
RunPage page_of_file(const QString& file);

std::optional<RunOptions> parse_run_options(QStringList arguments, QString& error);

// Bad usage that shows only on the disk: an --apertures file that is not there, or an output
// (--trace, --png) that is the job, aperture or settings file itself (the files compared, not
// their names), which writing it would destroy. Empty when there is none.
QString file_usage_error(const RunOptions& options);

QString run_usage();

}  // namespace ostrel
