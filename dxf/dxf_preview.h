// The DXF preview: the file's LINE entities, travel moves and origin cross drawn on a picture.
#pragma once

#include "core/number_text.h"
#include "core/picture.h"
#include "dxf/dxf_reader.h"
#include "motion/machine.h"

#include <QColor>
#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace ostrel {

// The colours of both DXF previews: white ground, the origin's blue cross, black lines, red
// travels.
struct DxfPreviewColours {
    static inline const QColor background{255, 255, 255};
    static inline const QColor cross{0, 0, 255};
    static inline const QColor line{0, 0, 0};
    static inline const QColor travel{255, 0, 0};
};

// Draws a line between two picture points, cut to a frame far outside any picture so that the
// painter's integer coordinates never overflow; the pen moves to the first point unless it stands
// there.
void draw_clipped_segment(Picture& picture, Extended x1, Extended y1, Extended x2, Extended y2);

class DxfPreview {
public:
    // Rows above the window's outer bottom edge where Y = 0 lies (before offsets).
    static constexpr int kBaselineMargin = 50;

    explicit DxfPreview(Machine& machine) : machine_(machine) {}

    // Renders the file named in dxfFileEdit on picture, as every preview event does ("Просмотр",
    // the zoom field, "Auto", "холстые перем."). outer_height is the file-view window's outer
    // height (frame and title included) once shown; show_window makes it visible. Refused with a
    // message while a job or move runs. A value that can't be read, or a file that can't be,
    // throws OperationAbandoned; the lines drawn by then stay on the picture.
    void render_dxf_preview(Picture& picture, int outer_height,
                            const std::function<void()>& show_window = {});

    // The lines a box pass read, as counts, for the drawing pass to take instead of reading the
    // file again; kept only up to kMaxKeptLines, so that memory stays bounded on huge files.
    struct KeptLines {
        using Counts = std::array<std::int64_t, 4>;  // x1, y1, x2, y2
        static constexpr std::size_t kMaxKeptLines = std::size_t{1} << 21;
        // In blocks of a fixed size: a growing array would copy itself over and over.
        static constexpr std::size_t kBlock = 8192;
        std::vector<std::vector<Counts>> blocks;
        std::size_t size = 0;
        void add(const Counts& counts);
        const Counts& operator[](std::size_t index) const {
            return blocks[index / kBlock][index % kBlock];
        }
        bool complete = false;  // every line of the file is here
        bool cut_off = false;
        QString cut_off_message;
    };

    // Whole pixels per mm that fit the drawing's box, with a 10 mm margin, into the picture;
    // sets the offsets (whole mm) that put the box's lower left corner on column 0, baseline_y.
    // 0, offsets unchanged, when the file does not exist. The lines read go to kept if given.
    std::int32_t dxf_auto_zoom(const Picture& picture, KeptLines* kept = nullptr);

    double preview_zoom() const { return preview_zoom_; }
    // Whole mm after dxf_auto_zoom; pixels once the rendering has scaled them.
    std::int64_t preview_offset_x() const { return preview_offset_x_; }
    std::int64_t preview_offset_y() const { return preview_offset_y_; }
    int baseline_y() const { return baseline_y_; }

    // The picture point of a file point given as counts of ten-thousandths of a millimetre.
    // Far-off points are held to a distance the painter copes with.
    std::int64_t column_of(std::int64_t q_x) const;
    std::int64_t row_of(std::int64_t q_y) const;

private:
    // Draws a line between two mapped points, cut to a frame far outside any picture so that the
    // painter's integer coordinates never overflow.
    void draw_segment(Picture& picture, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                      std::int64_t y2);

    Machine& machine_;
    double preview_zoom_ = 1;
    std::int64_t preview_offset_x_ = 0;
    std::int64_t preview_offset_y_ = 0;
    int baseline_y_ = 0;
};

}  // namespace ostrel
