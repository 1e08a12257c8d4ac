// DXF texts in AutoCAD's layout for the DXF tests.
#pragma once

#include <QByteArray>
#include <QString>

namespace ostrel::testing {

// A LINE entity with handle, layer and subclass lines around the four values, closed by "  0".
// Values are written as given, so tests choose the number forms.
QByteArray line_entity(const char* x1, const char* y1, const char* x2, const char* y2);
// A POINT entity at x, y (Z 0), closed by "  0".
QByteArray point_entity(const char* x, const char* y);
// A whole file: header, the entities' section around body, and the end of file.
QByteArray dxf_file(const QByteArray& body);

}  // namespace ostrel::testing
