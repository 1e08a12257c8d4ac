// The two browse buttons' filters and target fields.
#include "jobs/job_file_choice.h"

namespace ostrel {

JobFileChoice job_file_choice(int page) {
    JobFileChoice choice;
    if (page == 0) {
        choice.filter = QStringLiteral("файлы AutoCad DXF|*.dxf|");
        choice.field = Field::DxfFile;
        choice.loads_apertures = false;
    } else if (page == 2) {
        // Other names, such as .cnc, through "all files": that one is also a drill file's.
        choice.filter = QStringLiteral("программы G-code|*.nc *.ngc *.gcode *.tap|все файлы|*|");
        choice.field = Field::GcodeFile;
        choice.loads_apertures = false;
    } else {
        choice.filter = QStringLiteral("файлы Gerber RS274 GBR|*.gbr|файл сверления DRL |*.drl|");
        choice.field = Field::GerberFile;
        choice.loads_apertures = true;
    }
    choice.name_filters = name_filters_of(choice.filter);
    return choice;
}

QStringList name_filters_of(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) {
            continue;
        }
        filters.append(QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), parts[i + 1]));
    }
    return filters;
}

}  // namespace ostrel
