// What the benchmarks share: the process's peak memory, and the window's seams stood in for.
#pragma once

#include "core/file_view.h"
#include "core/operator.h"
#include "core/picture.h"

#include <sys/resource.h>
#include <QSize>
#include <QString>
#include <utility>

namespace ostrel::bench {

// The largest resident size the process has had, kilobytes (as Linux counts it).
inline long peak_rss_kb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

inline double peak_rss_mb() {
    return static_cast<double>(peak_rss_kb()) / 1024.0;
}

// A panel whose Gerber page names path, the marker field "05", everything else empty.
class FilePanel final : public Panel {
public:
    explicit FilePanel(QString path) : path_(std::move(path)) {}
    QString field_text(Field field) const override {
        return field == Field::GerberFile ? path_ : QStringLiteral("05");
    }
    int jog_speed_position() const override { return 10; }
    int jog_distance_position() const override { return 1; }
    bool return_to_origin() const override { return false; }

private:
    QString path_;
};

// The file-view window at its design size, drawing into picture.
class BenchView final : public FileView {
public:
    explicit BenchView(Picture& picture) : picture_(picture) {}
    void show() override {}
    Picture& picture() override { return picture_; }
    QSize outer_size() const override { return {395, 347}; }

private:
    Picture& picture_;
};

}  // namespace ostrel::bench
