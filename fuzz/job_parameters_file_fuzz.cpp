// Fuzzes the job-parameter file: any content either loads or changes nothing, and whatever loads
// is saved and loads back the same.
#include "jobs/job_parameters_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace ostrel;

JobParameterTexts typed() {
    JobParameterTexts texts;
    texts.speed_xy = QStringLiteral("2,5");
    texts.speed_xy_rapid = QStringLiteral(" 10 ");
    texts.z_travel = QStringLiteral("say \"0,5\" \\");
    texts.speed_z_up = QStringLiteral("1,5");
    texts.speed_z_down = QString();
    texts.drill_depth = QStringLiteral("глубина");
    texts.marker_diameter = QStringLiteral("07");
    texts.return_to_origin = false;
    return texts;
}

bool same(const JobParameterTexts& a, const JobParameterTexts& b) {
    return a.speed_xy == b.speed_xy && a.speed_xy_rapid == b.speed_xy_rapid &&
           a.z_travel == b.z_travel && a.speed_z_up == b.speed_z_up &&
           a.speed_z_down == b.speed_z_down && a.drill_depth == b.drill_depth &&
           a.marker_diameter == b.marker_diameter && a.return_to_origin == b.return_to_origin;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("job.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size)) {
            std::abort();
        }
    }
    JobParameterTexts texts = typed();
    if (!read_job_parameters_file(path, texts).isEmpty()) {
        if (!same(texts, typed())) {
            std::abort();  // a file refused changed a field
        }
        return 0;
    }
    if (texts.marker_diameter.size() != 2) {
        std::abort();  // markerDiameterEdit holds two digits, nothing else
    }
    const QString again = dir.filePath(QStringLiteral("again.ini"));
    JobParameterTexts loaded;
    if (!write_job_parameters_file(again, texts).isEmpty() ||
        !read_job_parameters_file(again, loaded).isEmpty() || !same(loaded, texts)) {
        std::abort();
    }
    return 0;
}
