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

QByteArray pairs(std::initializer_list<std::pair<int, const char*>> list) {
    QByteArray text;
    for (const auto& [code, value] : list) {
        text += QByteArray::number(code) + '\n' + value + '\n';
    }
    return text;
}

QByteArray sections_file(const QByteArray& entities, const QByteArray& blocks, int insunits) {
    QByteArray text = pairs({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}});
    if (insunits >= 0) {
        text += "9\n$INSUNITS\n70\n" + QByteArray::number(insunits) + '\n';
    }
    text += pairs({{0, "ENDSEC"}, {0, "SECTION"}, {2, "BLOCKS"}}) + blocks +
            pairs({{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}}) + entities +
            pairs({{0, "ENDSEC"}, {0, "EOF"}});
    return text;
}

QByteArray block(const char* name, const char* base_x, const char* base_y,
                 const QByteArray& entities) {
    return pairs({{0, "BLOCK"},
                  {8, "0"},
                  {2, name},
                  {70, "0"},
                  {10, base_x},
                  {20, base_y},
                  {30, "0"},
                  {3, name},
                  {1, ""}}) +
           entities + pairs({{0, "ENDBLK"}, {8, "0"}});
}

std::vector<NamedDrawing> standard_drawings() {
    const QByteArray s_curve = pairs(
        {{10, "0"}, {20, "0"}, {42, "1"}, {10, "2"}, {20, "0"}, {42, "-1"}, {10, "4"}, {20, "0"}});
    const QByteArray blocks =
        block("B", "0", "0",
              pairs({{0, "LINE"},
                     {10, "1"},
                     {20, "0"},
                     {11, "2"},
                     {21, "0"},
                     {0, "ARC"},
                     {10, "0"},
                     {20, "0"},
                     {40, "1"},
                     {50, "0"},
                     {51, "90"}})) +
        block("INNER", "0", "0", pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}})) +
        block("OUTER", "0", "0",
              pairs({{0, "INSERT"}, {2, "INNER"}, {10, "5"}, {20, "0"}, {41, "2"}, {42, "2"}}));
    const auto with_blocks = [&](const QByteArray& entities) {
        return sections_file(entities, blocks);
    };
    return {
        {"lines-points", sections_file(pairs({{0, "LINE"},
                                              {10, "0"},
                                              {20, "0"},
                                              {11, "30"},
                                              {21, "40"},
                                              {0, "POINT"},
                                              {10, "-5"},
                                              {20, "7"}}))},
        {"arcs-circles",
         sections_file(pairs({{0, "ARC"},
                              {10, "1"},
                              {20, "2"},
                              {40, "3"},
                              {50, "0"},
                              {51, "90"},
                              {0, "ARC"},
                              {10, "0"},
                              {20, "0"},
                              {40, "2"},
                              {50, "300"},
                              {51, "60"},
                              {0, "CIRCLE"},
                              {10, "20"},
                              {20, "0"},
                              {40, "5"},
                              // Seen from below: its centre lies at X -5 in the world.
                              {0, "CIRCLE"},
                              {10, "5"},
                              {20, "0"},
                              {40, "1"},
                              {210, "0"},
                              {220, "0"},
                              {230, "-1"}}))},
        {"ellipses", sections_file(pairs({{0, "ELLIPSE"},
                                          {10, "0"},
                                          {20, "0"},
                                          {11, "2"},
                                          {21, "0"},
                                          {40, "0.5"},
                                          {41, "0"},
                                          {42, "1.5707963267948966"},
                                          {0, "ELLIPSE"},
                                          {10, "10"},
                                          {20, "10"},
                                          {11, "0"},
                                          {21, "3"},
                                          {40, "0.25"},
                                          {41, "0"},
                                          {42, "6.283185307179586"}}))},
        {"bulged-polylines", sections_file(pairs({{0, "LWPOLYLINE"},
                                                  {100, "AcDbEntity"},
                                                  {100, "AcDbPolyline"},
                                                  {90, "3"},
                                                  {70, "1"}}) +
                                           s_curve +
                                           pairs({{0, "POLYLINE"},
                                                  {66, "1"},
                                                  {10, "0"},
                                                  {20, "0"},
                                                  {30, "0"},
                                                  {70, "1"},
                                                  {0, "VERTEX"},
                                                  {10, "0"},
                                                  {20, "10"},
                                                  {42, "1"},
                                                  {0, "VERTEX"},
                                                  {10, "2"},
                                                  {20, "10"},
                                                  {42, "-1"},
                                                  {0, "VERTEX"},
                                                  {10, "4"},
                                                  {20, "10"},
                                                  {0, "SEQEND"}}))},
        {"splines", sections_file(pairs({{0, "SPLINE"},
                                         {100, "AcDbEntity"},
                                         {100, "AcDbSpline"},
                                         {70, "8"},
                                         {71, "3"},
                                         {72, "8"},
                                         {73, "4"},
                                         {40, "0"},
                                         {40, "0"},
                                         {40, "0"},
                                         {40, "0"},
                                         {40, "1"},
                                         {40, "1"},
                                         {40, "1"},
                                         {40, "1"},
                                         {10, "0"},
                                         {20, "0"},
                                         {10, "1"},
                                         {20, "2"},
                                         {10, "3"},
                                         {20, "2"},
                                         {10, "4"},
                                         {20, "0"},
                                         {0, "SPLINE"},
                                         {100, "AcDbEntity"},
                                         {100, "AcDbSpline"},
                                         {70, "8"},
                                         {71, "3"},
                                         {74, "3"},
                                         {11, "0"},
                                         {21, "5"},
                                         {11, "1"},
                                         {21, "6"},
                                         {11, "2"},
                                         {21, "5"}}))},
        {"insert-mirrored-turned", with_blocks(pairs({{0, "INSERT"},
                                                      {2, "B"},
                                                      {10, "10"},
                                                      {20, "10"},
                                                      {41, "-1"},
                                                      {42, "1"},
                                                      {50, "90"}}))},
        {"nested-inserts",
         with_blocks(pairs({{0, "INSERT"}, {2, "OUTER"}, {10, "0"}, {20, "10"}, {50, "90"}}))},
        {"arrays", with_blocks(pairs({{0, "INSERT"},
                                      {2, "INNER"},
                                      {10, "0"},
                                      {20, "0"},
                                      {70, "3"},
                                      {71, "2"},
                                      {44, "10"},
                                      {45, "5"}}))},
        {"inches",
         sections_file(pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "2"}}), {}, 1)},
        {"paper-space", sections_file(pairs({{0, "LINE"},
                                             {10, "0"},
                                             {20, "0"},
                                             {11, "1"},
                                             {21, "0"},
                                             {0, "LINE"},
                                             {67, "1"},
                                             {10, "50"},
                                             {20, "50"},
                                             {11, "60"},
                                             {21, "60"}}))},
    };
}

}  // namespace ostrel::testing
