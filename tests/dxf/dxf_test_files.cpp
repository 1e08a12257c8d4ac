// DXF texts in AutoCAD's layout for the DXF tests.
#include "tests/dxf/dxf_test_files.h"

namespace ostrel::testing {

QByteArray line_entity(const char* x1, const char* y1, const char* x2, const char* y2) {
    return QByteArray("LINE\n  5\n2F\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n") +
           " 10\n" + x1 + "\n 20\n" + y1 + "\n 30\n0.0\n 11\n" + x2 + "\n 21\n" + y2 +
           "\n 31\n0.0\n  0\n";
}

QByteArray point_entity(const char* x, const char* y) {
    return QByteArray("POINT\n  5\n30\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbPoint\n") +
           " 10\n" + x + "\n 20\n" + y + "\n 30\n0.0\n  0\n";
}

QByteArray dxf_file(const QByteArray& body) {
    return QByteArray(
               "999\nwritten for a test\n  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n"
               "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\n") +
           body + "ENDSEC\n  0\nEOF\n";
}

}  // namespace ostrel::testing
