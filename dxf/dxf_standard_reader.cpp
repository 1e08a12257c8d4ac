// The standard DXF reader: sections and records from the pairs, blocks kept for their inserts,
// each entity flattened through the transform of the insert it is drawn by.
#include "dxf/dxf_standard_reader.h"

#include "core/curves.h"
#include "core/operation_abandoned.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>
#include <vector>

namespace ostrel {

namespace {

constexpr double kPi = std::numbers::pi;

struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 unit(Vec3 v, Vec3 fallback) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0) || !std::isfinite(length)) {
        return fallback;
    }
    return {v.x / length, v.y / length, v.z / length};
}

// p' = m (p, 1): the map from an entity's coordinates to millimetres on the drawing.
struct Affine {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    Vec3 apply(Vec3 p) const {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
    }
    PointMm to_xy(Vec3 p) const {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3]};
    }
    PointMm direction_xy(Vec3 v) const {
        return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
                m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z};
    }
    // This map after other: p -> this(other(p)).
    Affine after(const Affine& other) const {
        Affine r;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 4; ++j) {
                r.m[i][j] = m[i][0] * other.m[0][j] + m[i][1] * other.m[1][j] +
                            m[i][2] * other.m[2][j] + (j == 3 ? m[i][3] : 0);
            }
        }
        return r;
    }
    static Affine scale(double sx, double sy, double sz) {
        Affine a;
        a.m[0][0] = sx;
        a.m[1][1] = sy;
        a.m[2][2] = sz;
        return a;
    }
    static Affine translate(Vec3 t) {
        Affine a;
        a.m[0][3] = t.x;
        a.m[1][3] = t.y;
        a.m[2][3] = t.z;
        return a;
    }
    static Affine rotate_z(double radians) {
        Affine a;
        const double c = std::cos(radians);
        const double s = std::sin(radians);
        a.m[0][0] = c;
        a.m[0][1] = -s;
        a.m[1][0] = s;
        a.m[1][1] = c;
        return a;
    }
    // The entity's own coordinate system for its extrusion direction, by the arbitrary-axis rule
    // every DXF writer follows: X along the world Y (or Z) crossed with the normal.
    static Affine object_system(Vec3 normal) {
        const Vec3 n = unit(normal, {0, 0, 1});
        constexpr double kNearZ = 1.0 / 64;
        const Vec3 ax =
            unit(std::fabs(n.x) < kNearZ && std::fabs(n.y) < kNearZ ? cross({0, 1, 0}, n)
                                                                    : cross({0, 0, 1}, n),
                 {1, 0, 0});
        const Vec3 ay = unit(cross(n, ax), {0, 1, 0});
        Affine a;
        for (int i = 0; i < 3; ++i) {
            const double column[3] = {i == 0   ? ax.x
                                      : i == 1 ? ax.y
                                               : ax.z,
                                      i == 0   ? ay.x
                                      : i == 1 ? ay.y
                                               : ay.z,
                                      i == 0   ? n.x
                                      : i == 1 ? n.y
                                               : n.z};
            a.m[i][0] = column[0];
            a.m[i][1] = column[1];
            a.m[i][2] = column[2];
        }
        return a;
    }
};

enum class Kind {
    Line,
    Point,
    Circle,
    Arc,
    Ellipse,
    LwPolyline,
    Polyline,
    Vertex,
    SeqEnd,
    Spline,
    Insert,
    AttDef,  // an attribute's template in a block: never drawn by an insert
    Block,
    Other,
};

Kind kind_of(std::string_view type) {
    static constexpr std::pair<std::string_view, Kind> kKinds[] = {
        {"LINE", Kind::Line},         {"POINT", Kind::Point},     {"CIRCLE", Kind::Circle},
        {"ARC", Kind::Arc},           {"ELLIPSE", Kind::Ellipse}, {"LWPOLYLINE", Kind::LwPolyline},
        {"POLYLINE", Kind::Polyline}, {"VERTEX", Kind::Vertex},   {"SEQEND", Kind::SeqEnd},
        {"SPLINE", Kind::Spline},     {"INSERT", Kind::Insert},   {"ATTDEF", Kind::AttDef},
        {"BLOCK", Kind::Block},
    };
    for (const auto& [name, kind] : kKinds) {
        if (name == type) {
            return kind;
        }
    }
    return Kind::Other;
}

// Numbers are kept only for the groups the drawing needs: points, distances, angles, flags,
// counts and the extrusion direction.
bool numeric_code(int code) {
    return (code >= 10 && code <= 59) || (code >= 70 && code <= 79) || (code >= 90 && code <= 99) ||
           (code >= 210 && code <= 239);
}

// One entity: its type, name (group 2) and numbers in file order.
struct Record {
    std::string type;
    Kind kind = Kind::Other;
    std::string name;
    std::vector<std::pair<int, double>> values;
    bool paper_space = false;

    double get(int code, double fallback) const {
        for (const auto& [c, v] : values) {
            if (c == code) {
                return v;
            }
        }
        return fallback;
    }
    Vec3 point(int code, Vec3 fallback = {}) const {
        return {get(code, fallback.x), get(code + 10, fallback.y), get(code + 20, fallback.z)};
    }
    Vec3 normal() const { return point(210, {0, 0, 1}); }
};

struct Block {
    Vec3 base;
    std::vector<Record> records;
};

std::string upper(std::string_view text) {
    std::string s(text);
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return s;
}

// The counter-clockwise span from start to end: 0 when both are the same number, a whole turn
// when they differ by whole turns.
double span_between(double start, double end, double turn) {
    if (start == end) {
        return 0;
    }
    double span = std::fmod(end - start, turn);
    if (span < 0) {
        span += turn;
    }
    if (span <= turn * 1e-12 || span >= turn * (1 - 1e-12)) {
        return turn;
    }
    return span;
}

// What every level of inserts shares.
struct ReadState {
    DxfShapeSink& sink;
    const DxfReadOptions& options;
    DxfFileFacts& facts;
    const QString& path;
    std::unordered_map<std::string, Block> blocks;
    std::int64_t inserted = 0;
    std::vector<PointMm> points;  // the path being made
    std::vector<PointMm> curve;   // one curve of it

    void emit() {
        if (!points.empty()) {
            sink.path(points);
            ++facts.drawn;
        }
    }
    void add_curve() {
        if (!curve.empty()) {
            if (!points.empty()) {
                points.insert(points.end(), curve.begin() + 1, curve.end());
            } else {
                points = curve;
            }
        }
    }
    void skip(const std::string& type) { ++facts.skipped[type]; }
};

// Turns the records of one level (the entities, or a block for one insert) into paths through
// the map of that level.
class Drafter {
public:
    using State = ReadState;
    Drafter(State& state, const Affine& map, int depth) : s_(state), map_(map), depth_(depth) {}

    void take(const Record& r) {
        if (polyline_ && r.kind != Kind::Vertex) {
            end_polyline();
        }
        if (depth_ == 0 && r.paper_space) {
            if (r.kind != Kind::Vertex && r.kind != Kind::SeqEnd) {
                ++s_.facts.paper_space;
            }
            return;
        }
        switch (r.kind) {
            case Kind::Line:
                line(r);
                break;
            case Kind::Point:
                point(r);
                break;
            case Kind::Circle:
                circle(r);
                break;
            case Kind::Arc:
                arc(r);
                break;
            case Kind::Ellipse:
                ellipse(r);
                break;
            case Kind::LwPolyline:
                lwpolyline(r);
                break;
            case Kind::Polyline:
                begin_polyline(r);
                break;
            case Kind::Vertex:
                vertex(r);
                break;
            case Kind::Spline:
                spline(r);
                break;
            case Kind::Insert:
                insert(r);
                break;
            case Kind::SeqEnd:
            case Kind::AttDef:
            case Kind::Block:
                break;
            case Kind::Other:
                s_.skip(r.type);
                break;
        }
    }

    void finish() {
        if (polyline_) {
            end_polyline();
        }
    }

private:
    struct Vertex {
        Vec3 at;
        double bulge = 0;
    };

    void line(const Record& r) {
        s_.points.assign({map_.to_xy(r.point(10)), map_.to_xy(r.point(11))});
        s_.emit();
    }

    void point(const Record& r) {
        const PointMm at = map_.to_xy(r.point(10));
        s_.points.assign({at});
        s_.emit();
        s_.sink.point(at);
    }

    // A circle or arc of the entity's own plane, from start sweeping counter-clockwise.
    void conic(const Affine& plane, Vec3 centre, double radius, double start, double sweep) {
        s_.curve.clear();
        flatten_conic_arc(plane.to_xy(centre), plane.direction_xy({radius, 0, 0}),
                          plane.direction_xy({0, radius, 0}), start, sweep,
                          s_.options.chord_tolerance_mm, s_.curve);
        s_.points.clear();
        s_.add_curve();
        s_.emit();
    }

    void circle(const Record& r) {
        const Affine plane = map_.after(Affine::object_system(r.normal()));
        const double radius = r.get(40, 0);
        conic(plane, r.point(10), radius, 0, 2 * kPi);
        const PointMm u = plane.direction_xy({radius, 0, 0});
        s_.sink.circle(plane.to_xy(r.point(10)), 2 * std::hypot(u.x, u.y));
    }

    void arc(const Record& r) {
        const Affine plane = map_.after(Affine::object_system(r.normal()));
        const double start = r.get(50, 0);
        const double sweep = span_between(start, r.get(51, 0), 360);
        conic(plane, r.point(10), r.get(40, 0), start * kPi / 180, sweep * kPi / 180);
    }

    void ellipse(const Record& r) {
        // Centre and major axis are in world coordinates; the minor axis lies across the major
        // one in the plane of the extrusion direction.
        const Vec3 n = unit(r.normal(), {0, 0, 1});
        const Vec3 major = r.point(11);
        const double ratio = r.get(40, 1);
        const Vec3 across = cross(n, major);
        const Vec3 minor{across.x * ratio, across.y * ratio, across.z * ratio};
        const double start = r.get(41, 0);
        const double sweep = span_between(start, r.get(42, 2 * kPi), 2 * kPi);
        s_.curve.clear();
        flatten_conic_arc(map_.to_xy(r.point(10)), map_.direction_xy(major),
                          map_.direction_xy(minor), start, sweep, s_.options.chord_tolerance_mm,
                          s_.curve);
        s_.points.clear();
        s_.add_curve();
        s_.emit();
    }

    // Vertices in the plane's coordinates, each with the bulge of the segment it starts.
    void polyline_path(const Affine& plane, const std::vector<Vertex>& vertices, bool closed) {
        s_.points.clear();
        if (vertices.empty()) {
            return;
        }
        s_.points.push_back(plane.to_xy(vertices.front().at));
        const std::size_t segments = vertices.size() - (closed ? 0 : 1);
        for (std::size_t i = 0; i < segments; ++i) {
            const Vertex& a = vertices[i];
            const Vertex& b = vertices[(i + 1) % vertices.size()];
            const PointMm to = plane.to_xy(b.at);
            const BulgeArc bulge =
                a.bulge != 0 ? bulge_arc({a.at.x, a.at.y}, {b.at.x, b.at.y}, a.bulge) : BulgeArc{};
            if (a.bulge == 0 || (a.at.x == b.at.x && a.at.y == b.at.y) ||
                !std::isfinite(bulge.radius) || !std::isfinite(bulge.centre.x) ||
                !std::isfinite(bulge.centre.y)) {
                s_.points.push_back(to);
                continue;
            }
            s_.curve.clear();
            flatten_conic_arc(plane.to_xy({bulge.centre.x, bulge.centre.y, a.at.z}),
                              plane.direction_xy({bulge.radius, 0, 0}),
                              plane.direction_xy({0, bulge.radius, 0}), bulge.start, bulge.sweep,
                              s_.options.chord_tolerance_mm, s_.curve);
            s_.curve.back() = to;
            s_.add_curve();
        }
        s_.emit();
    }

    void lwpolyline(const Record& r) {
        const double elevation = r.get(38, 0);
        vertices_.clear();
        for (const auto& [code, value] : r.values) {
            if (code == 10) {
                vertices_.push_back({{value, 0, elevation}, 0});
            } else if (code == 20 && !vertices_.empty()) {
                vertices_.back().at.y = value;
            } else if (code == 42 && !vertices_.empty()) {
                vertices_.back().bulge = value;
            }
        }
        const auto flags = static_cast<std::int64_t>(r.get(70, 0));
        polyline_path(map_.after(Affine::object_system(r.normal())), vertices_, (flags & 1) != 0);
    }

    void begin_polyline(const Record& r) {
        const auto flags = static_cast<std::int64_t>(r.get(70, 0));
        polyline_ = true;
        vertices_.clear();
        polyline_closed_ = (flags & 1) != 0;
        polyline_3d_ = (flags & 8) != 0;
        polyline_mesh_ = (flags & (16 | 64)) != 0;
        polyline_plane_ = polyline_3d_ ? map_ : map_.after(Affine::object_system(r.normal()));
        polyline_elevation_ = r.get(30, 0);
    }

    void vertex(const Record& r) {
        if (!polyline_) {
            return;
        }
        const auto flags = static_cast<std::int64_t>(r.get(70, 0));
        // Frame points of a spline-fit polyline are not on the line; faces of a mesh are no
        // vertices.
        if ((flags & 16) != 0 || (flags & 128) != 0) {
            return;
        }
        Vec3 at = r.point(10);
        if (!polyline_3d_) {
            at.z = polyline_elevation_;
        }
        vertices_.push_back({at, polyline_3d_ ? 0 : r.get(42, 0)});
    }

    void end_polyline() {
        polyline_ = false;
        if (polyline_mesh_) {
            s_.skip("POLYLINE (сеть)");
            return;
        }
        polyline_path(polyline_plane_, vertices_, polyline_closed_);
    }

    void spline(const Record& r) {
        Nurbs curve;
        curve.degree = static_cast<int>(std::clamp(r.get(71, 3), 0.0, 64.0));
        std::vector<PointMm> fit;
        std::optional<PointMm> start_tangent, end_tangent;
        for (std::size_t i = 0; i < r.values.size(); ++i) {
            const auto& [code, value] = r.values[i];
            if (code == 40) {
                curve.knots.push_back(value);
            } else if (code == 41) {
                curve.weights.push_back(value);
            }
        }
        // Points: each X group opens one; its Y and Z follow.
        const auto gather = [&](int code, std::vector<Vec3>& out) {
            for (const auto& [c, value] : r.values) {
                if (c == code) {
                    out.push_back({value, 0, 0});
                } else if (c == code + 10 && !out.empty()) {
                    out.back().y = value;
                } else if (c == code + 20 && !out.empty()) {
                    out.back().z = value;
                }
            }
        };
        std::vector<Vec3> control, fit3;
        gather(10, control);
        gather(11, fit3);
        for (const Vec3& p : control) {
            curve.control.push_back(map_.to_xy(p));
        }
        if (curve.weights.size() != curve.control.size()) {
            curve.weights.clear();
        }
        s_.curve.clear();
        if (!curve.control.empty() && curve.valid()) {
            flatten_nurbs(curve, s_.options.chord_tolerance_mm, s_.curve);
        } else if (curve.control.empty() && fit3.size() >= 2) {
            for (const Vec3& p : fit3) {
                fit.push_back(map_.to_xy(p));
            }
            std::vector<Vec3> tangent;
            gather(12, tangent);
            if (!tangent.empty()) {
                start_tangent = map_.direction_xy(tangent.front());
            }
            tangent.clear();
            gather(13, tangent);
            if (!tangent.empty()) {
                end_tangent = map_.direction_xy(tangent.front());
            }
            const Nurbs through =
                interpolating_cubic(fit, start_tangent ? &*start_tangent : nullptr,
                                    end_tangent ? &*end_tangent : nullptr);
            if (through.valid()) {
                flatten_nurbs(through, s_.options.chord_tolerance_mm, s_.curve);
            }
        }
        if (s_.curve.empty()) {
            s_.skip("SPLINE (неполный)");
            return;
        }
        s_.points.clear();
        s_.add_curve();
        s_.emit();
    }

    void insert(const Record& r) {
        const auto found = s_.blocks.find(upper(r.name));
        if (found == s_.blocks.end()) {
            auto& missing = s_.facts.missing_blocks;
            if (std::find(missing.begin(), missing.end(), r.name) == missing.end()) {
                missing.push_back(r.name);
            }
            return;
        }
        if (depth_ + 1 > s_.options.deepest_insert) {
            ++s_.facts.too_deep;
            return;
        }
        const Block& block = found->second;
        const double rotation = r.get(50, 0) * kPi / 180;
        const Affine placed =
            map_.after(Affine::object_system(r.normal())).after(Affine::translate(r.point(10)));
        const Affine oriented =
            Affine::rotate_z(rotation)
                .after(Affine::scale(r.get(41, 1), r.get(42, 1), r.get(43, 1)))
                .after(Affine::translate({-block.base.x, -block.base.y, -block.base.z}));
        const double columns = std::max(1.0, r.get(70, 1));
        const double rows = std::max(1.0, r.get(71, 1));
        const double column_spacing = r.get(44, 0);
        const double row_spacing = r.get(45, 0);
        const double cells = columns * rows;
        const double cost =
            cells * static_cast<double>(std::max<std::size_t>(block.records.size(), 1));
        if (cost > static_cast<double>(s_.options.most_inserted - s_.inserted)) {
            throw OperationAbandoned(
                QStringLiteral("В файле \"%1\" вставки блоков дают больше %2 примитивов; "
                               "такой чертёж машине не нарисовать")
                    .arg(s_.path)
                    .arg(s_.options.most_inserted));
        }
        s_.inserted += static_cast<std::int64_t>(cost);
        const auto column_count = static_cast<std::int64_t>(columns);
        const auto row_count = static_cast<std::int64_t>(rows);
        for (std::int64_t column = 0; column < column_count; ++column) {
            for (std::int64_t row = 0; row < row_count; ++row) {
                // Array cells are spaced along the insert's rotated axes, unscaled.
                const Vec3 cell =
                    Affine::rotate_z(rotation).apply({static_cast<double>(column) * column_spacing,
                                                      static_cast<double>(row) * row_spacing, 0});
                Drafter inner(s_, placed.after(Affine::translate(cell)).after(oriented),
                              depth_ + 1);
                for (const Record& record : block.records) {
                    inner.take(record);
                }
                inner.finish();
            }
        }
    }

    State& s_;
    Affine map_;
    int depth_;
    std::vector<Vertex> vertices_;
    bool polyline_ = false;
    bool polyline_closed_ = false;
    bool polyline_3d_ = false;
    bool polyline_mesh_ = false;
    Affine polyline_plane_;
    double polyline_elevation_ = 0;
};

}  // namespace

std::optional<double> dxf_mm_per_unit(std::int64_t insunits) {
    switch (insunits) {
        case 0:
        case 4:
            return 1.0;
        case 1:
            return 25.4;
        case 2:
            return 304.8;
        case 3:
            return 1609344.0;
        case 5:
            return 10.0;
        case 6:
            return 1000.0;
        case 7:
            return 1e6;
        case 8:
            return 25.4e-6;
        case 9:
            return 0.0254;
        case 10:
            return 914.4;
        case 11:
            return 1e-7;
        case 12:
            return 1e-6;
        case 13:
            return 1e-3;
        case 14:
            return 100.0;
        case 15:
            return 1e4;
        case 16:
            return 1e5;
        case 17:
            return 1e12;
        case 18:
            return 1.495978707e14;
        case 19:
            return 9.4607304725808e18;
        case 20:
            return 3.0856775814913673e19;
        case 21:
            return 1200.0 / 3937.0 * 1000.0;
        default:
            return std::nullopt;
    }
}

DxfStandardReader::DxfStandardReader(const QString& path, const DxfReadOptions& options)
    : pairs_(path), options_(options) {}

DxfStandardReader::DxfStandardReader(int fd, const QString& path, const DxfReadOptions& options,
                                     std::size_t buffer_size)
    : pairs_(fd, path, buffer_size), options_(options) {}

DxfStandardReader::~DxfStandardReader() = default;

void DxfStandardReader::read(DxfShapeSink& sink) {
    enum class Section { None, Header, Blocks, Entities, Other };
    const QString& path = pairs_.path();
    ReadState state{sink, options_, facts_, path, {}, 0, {}, {}};
    Section section = Section::None;
    bool section_name_next = false;
    std::string variable;
    Record record;
    bool in_record = false;
    Block* block = nullptr;
    std::optional<Drafter> entities;

    const auto take_record = [&] {
        if (!in_record) {
            return;
        }
        in_record = false;
        if (section == Section::Entities) {
            if (!entities) {
                const double scale = options_.mm_per_unit.value_or(facts_.mm_per_unit);
                entities.emplace(state, Affine::scale(scale, scale, scale), 0);
            }
            entities->take(record);
        } else if (section == Section::Blocks) {
            if (record.kind == Kind::Block) {
                Block& made = state.blocks[upper(record.name)];
                made = Block{record.point(10), {}};
                block = &made;
            } else if (record.type == "ENDBLK") {
                block = nullptr;
            } else if (block != nullptr) {
                block->records.push_back(record);
            }
        }
    };

    DxfPair pair;
    while (pairs_.next(pair)) {
        if (pair.code == 0) {
            take_record();
            const std::string_view type = dxf_trimmed(pair.value);
            if (type == "SECTION") {
                section_name_next = true;
                continue;
            }
            if (type == "ENDSEC") {
                if (entities) {
                    entities->finish();
                }
                section = Section::None;
                continue;
            }
            if (type == "EOF") {
                break;
            }
            record.type.assign(type);
            record.kind = kind_of(type);
            record.name.clear();
            record.values.clear();
            record.paper_space = false;
            in_record = section == Section::Entities || section == Section::Blocks;
            continue;
        }
        if (section_name_next) {
            section_name_next = false;
            if (pair.code == 2) {
                const std::string_view name = dxf_trimmed(pair.value);
                section = name == "HEADER"     ? Section::Header
                          : name == "BLOCKS"   ? Section::Blocks
                          : name == "ENTITIES" ? Section::Entities
                                               : Section::Other;
                continue;
            }
        }
        if (section == Section::Header) {
            if (pair.code == 9) {
                variable.assign(dxf_trimmed(pair.value));
            } else if (variable == "$ACADVER" && pair.code == 1) {
                facts_.version = QString::fromLatin1(dxf_trimmed(pair.value));
            } else if (variable == "$DWGCODEPAGE" && pair.code == 3) {
                facts_.code_page = QString::fromLatin1(dxf_trimmed(pair.value));
            } else if (variable == "$INSUNITS" && pair.code == 70) {
                facts_.insunits = dxf_integer(pair, path);
                facts_.mm_per_unit = dxf_mm_per_unit(*facts_.insunits).value_or(1.0);
            }
            continue;
        }
        if (!in_record) {
            continue;
        }
        // Every kind may stand in the paper space; only drawn kinds need their numbers.
        if (pair.code == 67) {
            record.paper_space = dxf_integer(pair, path) == 1;
        } else if (record.kind == Kind::Other) {
            continue;
        } else if (pair.code == 2) {
            record.name.assign(dxf_trimmed(pair.value));
        } else if (numeric_code(pair.code)) {
            record.values.emplace_back(pair.code, dxf_real(pair, path));
        }
    }
    take_record();
    if (entities) {
        entities->finish();
    }
    if (options_.mm_per_unit) {
        facts_.mm_per_unit = *options_.mm_per_unit;
    }
}

QString dxf_left_out_message(const QString& path, const DxfFileFacts& facts) {
    QStringList parts;
    if (!facts.skipped.empty()) {
        QStringList types;
        for (const auto& [type, count] : facts.skipped) {
            types << QStringLiteral("%1 %2").arg(QString::fromUtf8(type.c_str())).arg(count);
        }
        parts << QStringLiteral("не рисуются примитивы %1").arg(types.join(QStringLiteral(", ")));
    }
    if (facts.paper_space > 0) {
        parts
            << QStringLiteral("пропущено примитивов пространства листа: %1").arg(facts.paper_space);
    }
    if (!facts.missing_blocks.empty()) {
        QStringList names;
        for (const std::string& name : facts.missing_blocks) {
            names << QStringLiteral("\"%1\"").arg(dxf_text(name, facts.code_page));
        }
        parts << QStringLiteral("нет описания блоков %1").arg(names.join(QStringLiteral(", ")));
    }
    if (facts.too_deep > 0) {
        parts << QStringLiteral(
                     "не вставлены блоки, вложенные слишком глубоко (блок в самом "
                     "себе?): %1")
                     .arg(facts.too_deep);
    }
    if (parts.isEmpty()) {
        return {};
    }
    return QStringLiteral("Файл \"%1\": %2").arg(path, parts.join(QStringLiteral("; ")));
}

}  // namespace ostrel
