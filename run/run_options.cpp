// Parsing the headless runner's command line.
#include "run/run_options.h"

#include "dxf/dxf_drawing.h"

#include <sys/stat.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <utility>

namespace ostrel {

namespace {

struct FieldOption {
    const char* name;
    Field field;
};

constexpr FieldOption kFieldOptions[] = {
    {"--speed-xy", Field::SpeedXy},        {"--speed-xy-rapid", Field::SpeedXyRapid},
    {"--z-travel", Field::ZTravel},        {"--speed-z-up", Field::SpeedZUp},
    {"--speed-z-down", Field::SpeedZDown}, {"--depth", Field::DrillDepth},
    {"--marker", Field::MarkerDiameter},
};

// "--name=value" or "--name value"; empty when the option is not this one.
std::optional<QString> take_value(const QString& argument, const char* name, QStringList& rest,
                                  QString& error) {
    const QString option = QLatin1String(name);
    if (argument.startsWith(option + u'=')) {
        return argument.mid(option.size() + 1);
    }
    if (argument != option) {
        return std::nullopt;
    }
    if (rest.isEmpty()) {
        error = QStringLiteral("%1 needs a value").arg(option);
        return QString();
    }
    return rest.takeFirst();
}

bool is_ascii_digit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The file at path as the system knows it, links followed; empty when there is none.
std::optional<std::pair<dev_t, ino_t>> file_identity(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return std::pair{info.st_dev, info.st_ino};
}

}  // namespace

QString file_usage_error(const RunOptions& options) {
    const bool aperture_file = options.page == RunPage::Gerber && !options.apertures.isEmpty() &&
                               options.apertures != QLatin1String("none");
    struct stat info {};
    if (aperture_file && ::lstat(QFile::encodeName(options.apertures).constData(), &info) != 0 &&
        errno == ENOENT) {
        return QStringLiteral("--apertures: there is no file %1").arg(options.apertures);
    }
    const struct {
        QString path;
        const char* what;
    } inputs[] = {{options.file, "the job file"},
                  {aperture_file ? options.apertures : QString(), "the aperture file"},
                  {options.config, "the settings file"}};
    const struct {
        QString path;
        const char* option;
    } outputs[] = {{options.port.trace_path, "--trace"}, {options.png, "--png"}};
    for (const auto& output : outputs) {
        const auto written = file_identity(output.path);
        for (const auto& input : inputs) {
            if (written && written == file_identity(input.path)) {
                return QStringLiteral("%1 %2 would overwrite %3 %4")
                    .arg(QLatin1String(output.option), output.path, QLatin1String(input.what),
                         input.path);
            }
        }
    }
    return {};
}

QString RunOptions::field_text(Field field) const {
    const auto found = typed.find(field);
    if (found != typed.end()) {
        return found->second;
    }
    const bool drilling = job == RunJob::Drill;
    switch (field) {
        case Field::SpeedXy:
        case Field::SpeedXyRapid:
            return QStringLiteral("2,5");
        case Field::ZTravel:
            return QStringLiteral("0,5");
        case Field::SpeedZUp:
            return QStringLiteral("1,5");
        case Field::SpeedZDown:
            return drilling ? QStringLiteral("0,2") : QStringLiteral("1,5");
        case Field::DrillDepth:
            return QStringLiteral("2");
        case Field::MarkerDiameter:
            return marker;
        case Field::DxfFile:
        case Field::GerberFile:
        case Field::GcodeFile:
            return file;
        case Field::OffsetX:
            return offset_x;
        case Field::OffsetY:
            return offset_y;
        default:
            return {};
    }
}

std::optional<RunOptions> parse_run_options(QStringList arguments, QString& error) {
    error.clear();  // the parse looks at it after each option
    RunOptions options;
    std::optional<PortOptions> port = take_port_options(arguments, PortKind::Sim, error);
    if (!port) {
        return std::nullopt;
    }
    options.port = *port;
    if (options.port.kind == PortKind::Sim && !options.port.sim_3bc && !options.port.sim_378 &&
        !options.port.sim_278 && options.port.sim_added.empty()) {
        error = QStringLiteral(
            "--sim-ports names no port: the simulated machine needs at least one (3bc, 378, 278, "
            "d010 …)");
        return std::nullopt;
    }
    bool page_given = false;
    QStringList files;
    // Options that only the standard reading, or only its DXF page, can use.
    QStringList true_size_options;
    QStringList dxf_only_options;
    while (!arguments.isEmpty()) {
        const QString argument = arguments.takeFirst();
        bool field_taken = false;
        for (const FieldOption& option : kFieldOptions) {
            if (const auto value = take_value(argument, option.name, arguments, error)) {
                if (!error.isEmpty()) {
                    return std::nullopt;
                }
                options.typed[option.field] = *value;
                if (option.field == Field::MarkerDiameter) {
                    // markerDiameterEdit takes two digits and nothing else.
                    if (value->size() != 2 || !is_ascii_digit((*value)[0]) ||
                        !is_ascii_digit((*value)[1])) {
                        error = QStringLiteral(
                                    "--marker takes two digits, the diameter in tenths of a mm "
                                    "(05 for 0,5 mm), not \"%1\"")
                                    .arg(*value);
                        return std::nullopt;
                    }
                    options.marker = *value;
                }
                field_taken = true;
                break;
            }
        }
        if (field_taken) {
            continue;
        }
        auto value_of = [&](const char* name) {
            return take_value(argument, name, arguments, error);
        };
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (const auto job = value_of("--job")) {
            if (*job == QLatin1String("draw")) {
                options.job = RunJob::Draw;
            } else if (*job == QLatin1String("drill")) {
                options.job = RunJob::Drill;
            } else if (*job == QLatin1String("preview")) {
                options.job = RunJob::Preview;
            } else if (error.isEmpty()) {
                error = QStringLiteral("--job takes draw, drill or preview, not \"%1\"").arg(*job);
            }
        } else if (const auto page = value_of("--page")) {
            page_given = true;
            if (*page == QLatin1String("dxf")) {
                options.page = RunPage::Dxf;
            } else if (*page == QLatin1String("gerber")) {
                options.page = RunPage::Gerber;
            } else if (*page == QLatin1String("gcode")) {
                options.page = RunPage::Gcode;
            } else if (error.isEmpty()) {
                error = QStringLiteral("--page takes dxf, gerber or gcode, not \"%1\"").arg(*page);
            }
        } else if (const auto apertures = value_of("--apertures")) {
            options.apertures = *apertures;
        } else if (argument == QLatin1String("--no-return")) {
            options.return_to_origin = false;
        } else if (const auto x = value_of("--start-x")) {
            options.start_x = *x;
        } else if (const auto y = value_of("--start-y")) {
            options.start_y = *y;
        } else if (const auto z = value_of("--start-z")) {
            options.start_z = *z;
        } else if (const auto zoom = value_of("--zoom")) {
            bool ok = false;
            options.zoom = zoom->toInt(&ok);
            if (error.isEmpty() && (!ok || options.zoom < 0 || options.zoom > 150)) {
                error = QStringLiteral("--zoom takes a whole number from 0 to 150");
            }
        } else if (argument == QLatin1String("--auto-zoom")) {
            options.auto_zoom = true;
        } else if (argument == QLatin1String("--idle-moves")) {
            options.idle_moves = true;
        } else if (const auto config = value_of("--config")) {
            options.config = *config;
        } else if (argument == QLatin1String("--realtime")) {
            options.realtime = true;
        } else if (const auto png = value_of("--png")) {
            options.png = *png;
        } else if (argument == QLatin1String("--json")) {
            options.json = true;
        } else if (argument == QLatin1String("--standard")) {
            options.standard = true;
        } else if (const auto origin = value_of("--origin")) {
            true_size_options.append(QStringLiteral("--origin"));
            if (*origin == QLatin1String("file")) {
                options.origin = PlacementOrigin::File;
            } else if (*origin == QLatin1String("corner")) {
                options.origin = PlacementOrigin::Corner;
            } else if (error.isEmpty()) {
                error = QStringLiteral("--origin takes file or corner, not \"%1\"").arg(*origin);
            }
        } else if (const auto offset = value_of("--offset")) {
            true_size_options.append(QStringLiteral("--offset"));
            const QStringList parts = offset->split(u',');
            bool x_ok = false, y_ok = false;
            if (parts.size() == 2) {
                parts[0].trimmed().toDouble(&x_ok);
                parts[1].trimmed().toDouble(&y_ok);
            }
            if (x_ok && y_ok) {
                options.offset_x = parts[0].trimmed();
                options.offset_y = parts[1].trimmed();
            } else if (error.isEmpty()) {
                error = QStringLiteral(
                            "--offset takes X,Y in mm with a decimal point (10.5,-3), not \"%1\"")
                            .arg(*offset);
            }
        } else if (argument == QLatin1String("--mirror-x")) {
            true_size_options.append(QStringLiteral("--mirror-x"));
            options.mirror_x = true;
        } else if (const auto unit = value_of("--units")) {
            true_size_options.append(QStringLiteral("--units"));
            dxf_only_options.append(QStringLiteral("--units"));
            options.dxf_unit = *unit;
            if (error.isEmpty() && (!dxf_unit_named(*unit) || unit->isEmpty())) {
                error = QStringLiteral("--units takes mm, cm, m, in or ft, not \"%1\"").arg(*unit);
            }
        } else if (const auto circles = value_of("--circles-as-holes")) {
            true_size_options.append(QStringLiteral("--circles-as-holes"));
            dxf_only_options.append(QStringLiteral("--circles-as-holes"));
            if (*circles == QLatin1String("yes")) {
                options.circles_as_holes = true;
            } else if (*circles == QLatin1String("no")) {
                options.circles_as_holes = false;
            } else if (error.isEmpty()) {
                error =
                    QStringLiteral("--circles-as-holes takes yes or no, not \"%1\"").arg(*circles);
            }
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            error = QStringLiteral("unknown option %1").arg(argument);
        } else {
            files.append(argument);
        }
        if (!error.isEmpty()) {
            return std::nullopt;
        }
    }
    if (options.help) {
        return options;
    }
    if (files.size() != 1) {
        error = files.isEmpty() ? QStringLiteral("no job file named")
                                : QStringLiteral("one job file only");
        return std::nullopt;
    }
    options.file = files.front();
    if (!page_given) {
        options.page = page_of_file(options.file);
    }
    // The G-code page reads one way only, at true size, and places it like the standard mode.
    if (options.page == RunPage::Gcode && options.standard) {
        error = QStringLiteral(
            "--standard is for the DXF and Gerber pages: G-code is read at its "
            "true size always");
        return std::nullopt;
    }
    if (!options.standard && options.page != RunPage::Gcode && !true_size_options.isEmpty()) {
        error = QStringLiteral("%1 needs --standard").arg(true_size_options.front());
        return std::nullopt;
    }
    if (options.page != RunPage::Dxf && !dxf_only_options.isEmpty()) {
        error = QStringLiteral("%1 is for DXF files (--page dxf)").arg(dxf_only_options.front());
        return std::nullopt;
    }
    // A real port runs in real time: the machine can't be hurried.
    if (options.port.kind != PortKind::Sim) {
        options.realtime = true;
    }
    return options;
}

RunPage page_of_file(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("dxf")) {
        return RunPage::Dxf;
    }
    for (const char* gcode : {"nc", "ngc", "gcode", "tap"}) {
        if (suffix == QLatin1String(gcode)) {
            return RunPage::Gcode;
        }
    }
    return RunPage::Gerber;
}

QString run_usage() {
    return QStringLiteral(
        "Usage: ostrel-run [options] FILE\n"
        "Runs a job of the Ostrel controller without a window (by default on the simulated\n"
        "machine, in no real time) and prints what it did.\n"
        "\n"
        "  --job draw|drill|preview   draw (\"Рисовать\", default), drill (\"Сверлить\"), or\n"
        "                             only the file-view picture\n"
        "  --page dxf|gerber|gcode    job page; default from the name (.dxf: dxf; .nc .ngc\n"
        "                             .gcode .tap: gcode; anything else: gerber)\n"
        "  --speed-xy T  --speed-xy-rapid T  --z-travel T  --speed-z-up T  --speed-z-down T\n"
        "  --depth T                  job parameters as typed in the edits (decimal comma);\n"
        "                             defaults as the job kind fills them in (depth 2)\n"
        "  --marker DD                marker diameter, two digits in tenths of mm (default 05)\n"
        "  --apertures FILE|none      Gerber aperture table source (default: FILE itself)\n"
        "  --no-return                do not return to 0,0 after the job\n"
        "  --start-x T --start-y T --start-z T   position before the job (default 0)\n"
        "  --zoom N  --auto-zoom  --idle-moves    DXF preview settings\n"
        "  --standard                 read the file at its true size: Gerber RS-274X and Excellon\n"
        "                             drill files, or DXF with arcs, circles, polylines, splines\n"
        "                             (--page gcode is always read at its true size)\n"
        "  --origin file|corner       the file's origin at --offset (default), or the drawing's\n"
        "                             lower-left corner where the tool stands\n"
        "  --offset X,Y               the file origin's place in mm, decimal point (default 0,0)\n"
        "  --mirror-x                 mirrored in X (the bottom side of a board)\n"
        "  --units mm|cm|m|in|ft      DXF drawing unit (default: the file's $INSUNITS, else mm)\n"
        "  --circles-as-holes yes|no  DXF drilling at circle centres too (default yes)\n"
        "  --port auto|ppdev|direct|sim           port access (default sim)\n"
        "  --sim-ports 3bc,378,278                ports of the simulated machine by base address;\n"
        "                                         others (d010) come after the classic three\n"
        "  --config FILE              settings file (default cfg.ini)\n"
        "  --trace FILE               one line per port write: 0xAA V\n"
        "  --realtime                 wait the real step times (implied by a real port)\n"
        "  --png FILE                 the track picture, or the file-view picture (preview)\n"
        "  --json                     the summary as one JSON object\n"
        "  --help                     this text\n"
        "\n"
        "Exit status: 0 the job ran to its end, 1 an error abandoned it or an output could not be\n"
        "written, 2 bad usage.\n");
}

}  // namespace ostrel
