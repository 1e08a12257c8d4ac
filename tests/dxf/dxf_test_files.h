// DXF texts in AutoCAD's layout for the DXF tests.
#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <utility>
#include <vector>

namespace ostrel::testing {

// A LINE entity with handle, layer and subclass lines around the four values, closed by "  0".
// Values are written as given, so tests choose the number forms.
QByteArray line_entity(const char* x1, const char* y1, const char* x2, const char* y2);
// A POINT entity at x, y (Z 0), closed by "  0".
QByteArray point_entity(const char* x, const char* y);
// A whole file: header, the entities' section around body, and the end of file.
QByteArray dxf_file(const QByteArray& body);

// Group code and value lines as writers that do not pad their codes put them:
// pairs({{0, "LINE"}, {10, "1"}}) is "0\nLINE\n10\n1\n".
QByteArray pairs(std::initializer_list<std::pair<int, const char*>> list);
// A file of the sections the standard mode reads: a header with $INSUNITS (when not negative),
// the blocks (BLOCK ... ENDBLK pairs) and the entities, each a run of pairs.
QByteArray sections_file(const QByteArray& entities, const QByteArray& blocks = {},
                         int insunits = -1);
// A block definition named name with its base point, around its entities.
QByteArray block(const char* name, const char* base_x, const char* base_y,
                 const QByteArray& entities);

// Drawings of every kind the standard mode draws, each small enough to check by hand; the
// reader's tests check them by hand and the comparison with ezdxf by its flattening.
struct NamedDrawing {
    const char* name;
    QByteArray text;
};
std::vector<NamedDrawing> standard_drawings();

}  // namespace ostrel::testing
