// The interpreter: a line's words checked against the modal groups, then done in the order that
// RS-274/NGC gives the words of one line.
#include "gcode/gcode_interpreter.h"

#include "core/job_file_lines.h"
#include "core/operation_abandoned.h"

#include <QFileInfo>

#include <cmath>
#include <numbers>

namespace ostrel {

namespace {

constexpr double kInch = 25.4;
// How far (mm) an arc's end may lie off its circle before the program is refused, and the
// relative share beside it: a CAM program rounds its numbers, a wrong centre is out by far more.
constexpr double kArcEndTolerance = 0.005;
constexpr double kArcEndShare = 0.001;
// A peck cycle comes back down to this far above the last depth before feeding again (0.010 in).
constexpr double kPeckClearance = 0.254;

// Modal groups of the G codes the machine takes; codes are tenths (G90.1 is 901).
enum Group {
    kNonModal,
    kMotion,
    kPlane,
    kDistance,
    kArcDistance,
    kFeedMode,
    kUnits,
    kCutterRadius,
    kToolLength,
    kRetract,
    kCoordinates,
    kPathControl,
    kGroups
};

struct GCode {
    int code;
    Group group;
};

constexpr GCode kGCodes[] = {
    {0, kMotion},         {10, kMotion},       {20, kMotion},       {30, kMotion},
    {40, kNonModal},      {170, kPlane},       {200, kUnits},       {210, kUnits},
    {400, kCutterRadius}, {490, kToolLength},  {540, kCoordinates}, {610, kPathControl},
    {611, kPathControl},  {640, kPathControl}, {800, kMotion},      {810, kMotion},
    {820, kMotion},       {830, kMotion},      {900, kDistance},    {901, kArcDistance},
    {910, kDistance},     {911, kArcDistance}, {920, kNonModal},    {921, kNonModal},
    {940, kFeedMode},     {980, kRetract},     {990, kRetract},
};

// Why a G code the machine does not take is refused.
const char* refused_g(int code) {
    switch (code) {
        case 180:
        case 190:
            return "плоскости G18 и G19 не поддерживаются, только G17";
        case 430:
        case 431:
        case 432:
            return "коррекция длины инструмента не поддерживается";
        case 410:
        case 411:
        case 420:
        case 421:
            return "коррекция радиуса инструмента не поддерживается";
        case 382:
        case 383:
        case 384:
        case 385:
        case 310:
            return "зондирование не поддерживается";
        case 930:
        case 950:
            return "подача поддерживается только в мм (дюймах) в минуту, G94";
        case 550:
        case 560:
        case 570:
        case 580:
        case 590:
        case 591:
        case 592:
        case 593:
            return "системы координат, кроме G54, не поддерживаются";
        case 730:
        case 840:
        case 850:
        case 860:
        case 870:
        case 880:
        case 890:
            return "из постоянных циклов выполняются только G81, G82, G83";
        default:
            return "этот код станок не выполняет";
    }
}

int code_of(const GcodeWord& word) {
    const double tenths = word.value * 10;
    const double rounded = std::nearbyint(tenths);
    if (std::fabs(tenths - rounded) > 1e-6 || std::fabs(rounded) > 1e6) {
        return -1;
    }
    return static_cast<int>(rounded);
}

}  // namespace

GcodeInterpreter::GcodeInterpreter(GcodeSink& sink, QString file, Point3 start)
    : sink_(sink), file_(std::move(file)), pos_(start) {}

void GcodeInterpreter::refuse(std::string_view word, const char* reason) const {
    throw OperationAbandoned(
        QStringLiteral("В файле \"%1\" в строке %2, слово \"%3\": %4")
            .arg(file_)
            .arg(line_)
            .arg(QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size())),
                 QString::fromUtf8(reason)));
}

void GcodeInterpreter::run_line(std::string_view text, std::int64_t line) {
    if (ended_) {
        return;
    }
    line_ = line;
    GcodeLineFault fault;
    if (!read_gcode_block(text, block_, fault)) {
        refuse(fault.word, fault.reason);
    }
    if (block_.percent) {
        // The first "%" opens the program, the second ends it; one that stands after program
        // lines closes a program that had no opening one.
        if (percent_open_ || started_) {
            ended_ = true;
        }
        percent_open_ = true;
        started_ = true;
        return;
    }
    // A "/" line runs: the machine has no block-delete switch, and a switch that is off (as
    // LinuxCNC starts) runs the line like any other.
    if (!block_.empty() || !block_.message.empty()) {
        started_ = true;
    }
    execute(block_);
}

Point3 GcodeInterpreter::target(const GcodeBlock& b) const {
    Point3 t = pos_;
    const auto axis = [&](char letter, double& coordinate, double offset) {
        if (b.has(letter)) {
            coordinate =
                absolute_ ? length(b.value(letter)) + offset : coordinate + length(b.value(letter));
        }
    };
    axis('X', t.x, g92_.x);
    axis('Y', t.y, g92_.y);
    axis('Z', t.z, g92_.z);
    return t;
}

int GcodeInterpreter::count(const GcodeBlock& b, char letter, const char* reason) const {
    if (!b.has(letter)) {
        return 1;
    }
    const double n = b.value(letter);
    if (n < 1 || n != std::floor(n) || n > 1e4) {
        refuse(b.word(letter).text, reason);
    }
    return static_cast<int>(n);
}

GcodeMove GcodeInterpreter::event(GcodeMove::Kind kind) const {
    GcodeMove move;
    move.kind = kind;
    move.line = line_;
    move.to = pos_;
    return move;
}

void GcodeInterpreter::straight(GcodeMove::Kind kind, Point3 to) {
    if (to == pos_) {
        return;  // nothing moves: no move is passed on
    }
    GcodeMove move = event(kind);
    move.to = to;
    move.feed = feed_mm();
    sink_.take(move);
    pos_ = to;
}

void GcodeInterpreter::execute(const GcodeBlock& b) {
    // Modal groups: at most one code of each, and only codes the machine takes.
    std::array<const GcodeWord*, kGroups> g{};
    for (int i = 0; i < b.g_count; ++i) {
        const GcodeWord& word = b.g[i];
        const int code = code_of(word);
        const GCode* known = nullptr;
        for (const GCode& c : kGCodes) {
            if (c.code == code) {
                known = &c;
            }
        }
        if (known == nullptr) {
            refuse(word.text, refused_g(code));
        }
        if (g[known->group] != nullptr) {
            refuse(word.text, "два кода одной модальной группы в строке");
        }
        g[known->group] = &word;
    }
    const GcodeWord* stop = nullptr;
    const GcodeWord* tool_change = nullptr;
    const GcodeWord* spindle = nullptr;
    const GcodeWord* coolant = nullptr;
    for (int i = 0; i < b.m_count; ++i) {
        const GcodeWord& word = b.m[i];
        const GcodeWord** slot = nullptr;
        switch (code_of(word)) {
            case 0:
            case 10:
            case 20:
            case 300:
                slot = &stop;
                break;
            case 60:
                slot = &tool_change;
                break;
            case 30:
            case 40:
            case 50:
                slot = &spindle;
                break;
            case 70:
            case 80:
            case 90:
                slot = &coolant;
                break;
            case 980:
            case 990:
                refuse(word.text, "подпрограммы не поддерживаются");
            default:
                refuse(word.text, "этот код станок не выполняет");
        }
        if (*slot != nullptr) {
            refuse(word.text, "два кода одной модальной группы в строке");
        }
        *slot = &word;
    }

    const int non_modal = g[kNonModal] ? code_of(*g[kNonModal]) : -1;
    const bool axes = b.has('X') || b.has('Y') || b.has('Z');
    const int motion = g[kMotion] ? code_of(*g[kMotion]) : motion_;
    if (non_modal == 920 && g[kMotion] != nullptr && axes) {
        refuse(g[kMotion]->text, "оси строки заданы и для G92, и для движения");
    }
    const bool moves = non_modal != 920 && (g[kMotion] != nullptr || axes) && motion != 800;
    if (axes && non_modal != 920 && motion == 800) {
        refuse(b.word(b.has('X')   ? 'X'
                      : b.has('Y') ? 'Y'
                                   : 'Z')
                   .text,
               "координаты без движения: действует G80");
    }
    if (axes && motion == kNone && non_modal != 920) {
        refuse(b.word(b.has('X')   ? 'X'
                      : b.has('Y') ? 'Y'
                                   : 'Z')
                   .text,
               "координаты без движения: код движения ещё не задан");
    }
    const bool is_arc = moves && (motion == kG2 || motion == kG3);
    const bool is_cycle = moves && (motion == kG81 || motion == kG82 || motion == kG83);
    // Words that only some codes use.
    if ((b.has('I') || b.has('J')) && !is_arc) {
        refuse(b.word(b.has('I') ? 'I' : 'J').text, "слово только для дуг G2, G3");
    }
    if (b.has('H')) {
        refuse(b.word('H').text, "коррекция длины инструмента не поддерживается");
    }
    if (b.has('D')) {
        refuse(b.word('D').text, "коррекция радиуса инструмента не поддерживается");
    }
    if (b.has('K')) {
        refuse(b.word('K').text, "в плоскости G17 дуга задаётся словами I и J");
    }
    if (b.has('R') && !is_arc && !is_cycle) {
        refuse(b.word('R').text, "слово только для дуг и циклов сверления");
    }
    if (b.has('L') && !is_cycle) {
        refuse(b.word('L').text, "слово только для циклов сверления");
    }
    const int path = g[kPathControl] ? code_of(*g[kPathControl]) : -1;
    if (b.has('P') && non_modal != 40 && !is_arc && !(is_cycle && motion == kG82) && path != 640) {
        refuse(b.word('P').text, "слово только для G4, G82, G64 и дуг");
    }
    if (b.has('Q') && !(is_cycle && motion == kG83) && path != 640) {
        refuse(b.word('Q').text, "слово только для G83 и G64");
    }

    // 1. Comment: a message for the operator.
    if (!b.message.empty()) {
        GcodeMove move = event(GcodeMove::Kind::Message);
        move.text = b.message;
        sink_.take(move);
    }
    // 2-3. Feed rate mode (G94 only), feed rate.
    if (b.has('F')) {
        if (b.value('F') < 0) {
            refuse(b.word('F').text, "подача не может быть отрицательной");
        }
        feed_ = b.value('F');
    }
    // 4. Spindle speed: the machine has no spindle.
    if (b.has('S')) {
        ignored_words_ = true;
    }
    // 5-6. Tool selection and change.
    if (b.has('T')) {
        const double t = b.value('T');
        if (t < 0 || t != std::floor(t) || t > 1e6) {
            refuse(b.word('T').text, "номер инструмента — целое число от 0");
        }
        tool_ = static_cast<int>(t);
    }
    if (tool_change != nullptr) {
        GcodeMove move = event(GcodeMove::Kind::ToolChange);
        move.tool = tool_;
        sink_.take(move);
    }
    // 7-8. Spindle and coolant: accepted, nothing to switch.
    if (spindle != nullptr || coolant != nullptr) {
        ignored_words_ = true;
    }
    // 10. Dwell.
    if (non_modal == 40) {
        if (!b.has('P') || b.value('P') < 0) {
            refuse(g[kNonModal]->text, "выдержке G4 нужно время P в секундах, не меньше 0");
        }
        GcodeMove move = event(GcodeMove::Kind::Dwell);
        move.seconds = b.value('P');
        sink_.take(move);
    }
    // 11-12. Plane (G17 only), units.
    if (g[kUnits] != nullptr) {
        mm_per_unit_ = code_of(*g[kUnits]) == 200 ? kInch : 1;
    }
    // 13-16. Cutter compensation off, tool length offset off, G54, path control: the machine
    // has none of them on, and always stops exactly at the end of a move.
    if (g[kPathControl] != nullptr && path == 640) {
        ignored_words_ = true;
    }
    // 17-18. Distance modes, retract mode.
    if (g[kDistance] != nullptr) {
        absolute_ = code_of(*g[kDistance]) == 900;
    }
    if (g[kArcDistance] != nullptr) {
        arc_absolute_ = code_of(*g[kArcDistance]) == 901;
    }
    if (g[kRetract] != nullptr) {
        retract_to_r_ = code_of(*g[kRetract]) == 990;
    }
    // 19. Axis offsets.
    if (non_modal == 920) {
        if (!axes) {
            refuse(g[kNonModal]->text, "G92 без осей");
        }
        const auto offset = [&](char letter, double position, double& into) {
            if (b.has(letter)) {
                into = position - length(b.value(letter));
            }
        };
        offset('X', pos_.x, g92_.x);
        offset('Y', pos_.y, g92_.y);
        offset('Z', pos_.z, g92_.z);
    } else if (non_modal == 921) {
        g92_ = {};
    }
    // 20. Motion.
    if (g[kMotion] != nullptr) {
        motion_ = motion;
    }
    if (motion_ != kG81 && motion_ != kG82 && motion_ != kG83) {
        in_cycle_series_ = false;
    }
    if (moves) {
        const GcodeWord& motion_word = g[kMotion] ? *g[kMotion] : b.g[0];
        switch (motion) {
            case kG0:
                straight(GcodeMove::Kind::Rapid, target(b));
                break;
            case kG1:
                if (feed_ <= 0) {
                    refuse(g[kMotion] ? motion_word.text : std::string_view("G1"),
                           "подача F не задана");
                }
                straight(GcodeMove::Kind::Feed, target(b));
                break;
            case kG2:
            case kG3:
                arc(b, motion_word, motion == kG2);
                break;
            default:
                cycle(b, motion_word);
                break;
        }
    }
    // 21. Stops.
    if (stop != nullptr) {
        const int code = code_of(*stop);
        if (code == 20 || code == 300) {
            ended_ = true;
        } else {
            GcodeMove move = event(GcodeMove::Kind::Pause);
            move.text = stop->text;
            sink_.take(move);
        }
    }
}

void GcodeInterpreter::arc(const GcodeBlock& b, const GcodeWord& motion_word, bool clockwise) {
    const std::string_view word =
        b.g_count > 0 ? motion_word.text : std::string_view(clockwise ? "G2" : "G3");
    if (feed_ <= 0) {
        refuse(word, "подача F не задана");
    }
    const Point3 to = target(b);
    GcodeMove move = event(GcodeMove::Kind::Arc);
    move.to = to;
    move.feed = feed_mm();
    const int turns = count(b, 'P', "число оборотов дуги — целое от 1");
    const double dx = to.x - pos_.x;
    const double dy = to.y - pos_.y;
    if (b.has('R')) {
        if (b.has('I') || b.has('J')) {
            refuse(b.word('R').text, "дуга задана и радиусом R, и центром I, J");
        }
        const double r = length(b.value('R'));
        const double chord = std::hypot(dx, dy);
        if (chord == 0) {
            refuse(b.word('R').text, "дуга радиусом R не может быть полной окружностью");
        }
        const double half = chord / 2;
        if (std::fabs(r) < half - kArcEndTolerance) {
            refuse(b.word('R').text, "радиус меньше половины расстояния до конца дуги");
        }
        const double h = std::fabs(r) > half ? std::sqrt(r * r - half * half) : 0;
        // The centre lies left of the chord for a counter-clockwise arc of less than half a turn;
        // a negative radius asks for the longer arc.
        const double side = (clockwise ? -1 : 1) * (r < 0 ? -1 : 1);
        move.centre = {pos_.x + dx / 2 - side * h * dy / chord,
                       pos_.y + dy / 2 + side * h * dx / chord};
    } else {
        if (!b.has('I') && !b.has('J')) {
            refuse(word, "у дуги нет ни центра I, J, ни радиуса R");
        }
        const double i = b.has('I') ? length(b.value('I')) : 0;
        const double j = b.has('J') ? length(b.value('J')) : 0;
        move.centre =
            arc_absolute_ ? PointMm{i + g92_.x, j + g92_.y} : PointMm{pos_.x + i, pos_.y + j};
        const double r0 = std::hypot(pos_.x - move.centre.x, pos_.y - move.centre.y);
        const double r1 = std::hypot(to.x - move.centre.x, to.y - move.centre.y);
        const double slack = std::max(kArcEndTolerance * mm_per_unit_, kArcEndShare * r0);
        if (std::fabs(r1 - r0) > slack) {
            refuse(word, "конец дуги не лежит на её окружности");
        }
        if (r0 == 0) {
            refuse(word, "центр дуги совпадает с её началом");
        }
    }
    move.turns = clockwise ? -turns : turns;
    sink_.take(move);
    pos_ = to;
}

void GcodeInterpreter::cycle(const GcodeBlock& b, const GcodeWord& motion_word) {
    const std::string_view word = b.g_count > 0 ? motion_word.text : std::string_view("G81");
    if (feed_ <= 0) {
        refuse(word, "подача F не задана");
    }
    if (b.has('R')) {
        cycle_r_ = b.value('R');
        cycle_r_set_ = true;
    }
    if (b.has('Z')) {
        cycle_z_ = b.value('Z');
        cycle_z_set_ = true;
    }
    if (!cycle_r_set_ || !cycle_z_set_) {
        refuse(word, "циклу сверления нужны R и Z");
    }
    if (motion_ == kG83) {
        if (b.has('Q')) {
            cycle_q_ = b.value('Q');
        }
        if (cycle_q_ <= 0) {
            refuse(b.has('Q') ? b.word('Q').text : word, "циклу G83 нужен шаг Q больше 0");
        }
    }
    if (motion_ == kG82 && b.has('P')) {
        cycle_p_ = b.value('P');
    }
    const int repeats = count(b, 'L', "число повторов L — целое от 1");
    // The height before the first of a series of cycles: G98 comes back to it, and an
    // incremental R counts from it, for every block of the series.
    if (!in_cycle_series_) {
        initial_z_ = pos_.z;
        in_cycle_series_ = true;
    }
    double r = 0;
    double bottom = 0;
    if (absolute_) {
        r = length(cycle_r_) + g92_.z;
        bottom = length(cycle_z_) + g92_.z;
    } else {
        r = initial_z_ + length(cycle_r_);
        bottom = r + length(cycle_z_);
    }
    if (bottom > r) {
        refuse(b.has('Z') ? b.word('Z').text : word, "дно отверстия Z выше плоскости R");
    }
    double x = pos_.x;
    double y = pos_.y;
    const auto traverse = [&](double z) { straight(GcodeMove::Kind::Rapid, {x, y, z}); };
    const auto feed = [&](double z) { straight(GcodeMove::Kind::Feed, {x, y, z}); };
    double height = pos_.z;
    if (height < r) {
        traverse(r);
        height = r;
    }
    const double clear = retract_to_r_ ? r : std::max(r, initial_z_);
    // The first travel to the hole stays at or above where the tool is, and at or above where
    // the cycle comes back to.
    height = std::max(height, clear);
    for (int k = 0; k < repeats; ++k) {
        if (absolute_) {
            x = b.has('X') ? length(b.value('X')) + g92_.x : x;
            y = b.has('Y') ? length(b.value('Y')) + g92_.y : y;
        } else {
            x += b.has('X') ? length(b.value('X')) : 0;
            y += b.has('Y') ? length(b.value('Y')) : 0;
        }
        traverse(height);
        traverse(r);
        if (motion_ == kG83) {
            const double delta = length(cycle_q_);
            for (double depth = r - delta; depth > bottom; depth -= delta) {
                feed(depth);
                traverse(r);
                traverse(depth + kPeckClearance);
            }
        }
        feed(bottom);
        if (motion_ == kG82 && cycle_p_ > 0) {
            GcodeMove move = event(GcodeMove::Kind::Dwell);
            move.seconds = cycle_p_;
            sink_.take(move);
        }
        traverse(clear);
        height = clear;
    }
}

}  // namespace ostrel

namespace ostrel {

GcodePassFacts run_gcode_file(const QString& path, GcodeSink& sink, Point3 start,
                              const std::function<bool()>& keep_going) {
    JobFileLineReader reader(path, kGerberLineRules);
    GcodeInterpreter interpreter(sink, QFileInfo(path).fileName(), start);
    GcodePassFacts facts;
    JobFileLineReader::Line line;
    while (!interpreter.ended() && reader.next(line)) {
        ++facts.lines;
        interpreter.run_line(line.text, facts.lines);
        if (keep_going && !keep_going()) {
            break;
        }
    }
    facts.ignored_words = interpreter.met_ignored_words();
    return facts;
}

}  // namespace ostrel
