// The standard DXF reader: a drawing of today's CAD programs as paths in millimetres.
#pragma once

#include "core/geometry.h"
#include "dxf/dxf_pairs.h"

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ostrel {

// What the reader hands on, in millimetres in the file's own frame, blocks inserted.
class DxfShapeSink {
public:
    virtual ~DxfShapeSink() = default;
    // Points the pen goes through, first to last; one point alone marks that point.
    virtual void path(std::span<const PointMm> points) = 0;
    // A POINT entity (handed on as a path of one point as well).
    virtual void point(PointMm at) = 0;
    // The centre and diameter of a whole CIRCLE (its outline is handed on as a path as well).
    virtual void circle(PointMm centre, double diameter) = 0;
};

// Millimetres per drawing unit for a $INSUNITS code; empty for a code that names no length.
// Unitless drawings (code 0, or no code) are taken in millimetres, as the machine always took them.
std::optional<double> dxf_mm_per_unit(std::int64_t insunits);

struct DxfReadOptions {
    // Millimetres per drawing unit as the operator chose them; empty: as the header says.
    std::optional<double> mm_per_unit;
    // No chord of a curve strays further from it (mm, on the machine).
    double chord_tolerance_mm = 0.001;
    // Blocks inside blocks deeper than this are not drawn: a block that holds itself would never
    // end.
    int deepest_insert = 16;
    // Entities drawn through inserts, at most; arrays of arrays could otherwise ask for more
    // than any machine can draw.
    std::int64_t most_inserted = 20'000'000;
};

// What the reader found out about the file besides its shapes.
struct DxfFileFacts {
    QString version;    // $ACADVER, e.g. "AC1027"
    QString code_page;  // $DWGCODEPAGE
    std::optional<std::int64_t> insunits;
    double mm_per_unit = 1;
    // Entities of model space the reader does not draw, by type, counted once per insert.
    std::map<std::string, std::int64_t> skipped;
    std::int64_t paper_space = 0;             // entities of the paper space, not drawn
    std::int64_t drawn = 0;                   // entities drawn, counted once per insert
    std::vector<std::string> missing_blocks;  // inserted but never defined, as written
    std::int64_t too_deep = 0;                // inserts past the deepest level, not drawn
};

// One pass over a text DXF file: header, blocks and the entities of model space.
class DxfStandardReader {
public:
    // Throws OperationAbandoned naming the file and the reason when it can't be opened or read.
    DxfStandardReader(const QString& path, const DxfReadOptions& options);
    // A pass over an open descriptor (taken over), for tests and fuzzing.
    DxfStandardReader(int fd, const QString& path, const DxfReadOptions& options,
                      std::size_t buffer_size = JobFileLineReader::kFixedBuffer);
    ~DxfStandardReader();
    DxfStandardReader(const DxfStandardReader&) = delete;
    DxfStandardReader& operator=(const DxfStandardReader&) = delete;

    // Reads the whole file, handing every shape to sink as it comes. A value that is no number
    // where a number belongs, or more inserted entities than the options allow, throws
    // OperationAbandoned with a message naming the file and line.
    void read(DxfShapeSink& sink);

    const DxfFileFacts& facts() const { return facts_; }

private:
    DxfPairReader pairs_;
    DxfReadOptions options_;
    DxfFileFacts facts_;
};

// One message telling the operator what the drawing has that was not drawn, or an empty text
// when nothing was left out.
QString dxf_left_out_message(const QString& path, const DxfFileFacts& facts);

}  // namespace ostrel
