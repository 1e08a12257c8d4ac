// The machine's small operations: settings, jog selectors, job parameters, position display.
#include "motion/machine.h"

#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "motion/settings_file.h"
#include "port/port_selection.h"

#include <QLocale>
#include <algorithm>

namespace ostrel {

namespace {

// Jog distances of jogDistanceSlider's twelve positions, in mm: a 1-2-5 series from 0.01 to 50.
constexpr double kJogDistances[12] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50};

const char* axis_name(Axis axis) {
    return axis == AXIS_X ? "X" : axis == AXIS_Y ? "Y" : "Z";
}

// The ratio as the settings tab shows it: four decimals where that is exact, all of it otherwise,
// so that "Применить" never rounds a finer ratio away.
QString show_ratio(double ratio) {
    const QString fixed = show_fixed4(ratio);
    const auto count = parse_ten_thousandths(fixed);
    if (count && static_cast<double>(static_cast<Extended>(*count) / 10000.0L) == ratio) {
        return fixed;
    }
    return show_general(ratio);
}

}  // namespace

std::int32_t step_count(Extended steps, Axis axis) {
    const auto count = round_to_int32(steps);
    // The lowest count is refused too: its negation, a reversed move, would not fit.
    if (!count || *count == INT32_MIN) {
        throw OperationAbandoned(
            QStringLiteral("Перемещение слишком велико: число шагов по оси %1 не помещается в "
                           "счётчик шагов (не больше 2147483647)")
                .arg(QLatin1String(axis_name(axis))));
    }
    return *count;
}

Machine::Machine(Operator& op, Panel& panel, Picture& track_picture)
    : operator_(op), panel_(panel), track_(track_picture) {}

Machine::~Machine() = default;

QString Machine::busy_message() {
    return QStringLiteral("Станок занят: дождитесь конца движения или остановите его (Esc)");
}

bool Machine::refuse_while_asking() {
    if (!asking()) {
        return false;
    }
    op().show_message(MessageKind::Error, busy_message());
    return true;
}

void Machine::end_stop_request() {
    if (!halted_) {
        state_.stop_requested = false;
    }
}

void Machine::halt() {
    halted_ = true;
    state_.stop_requested = true;
}

void Machine::scope_ended() {
    if (!busy()) {
        limit_asked_ = false;
    }
}

void Machine::open_port(std::unique_ptr<PortBackend> backend) {
    port_connection_ = std::make_unique<LptPortConnection>(std::move(backend));
    panel_.know_added_ports(port_connection_->added_ports());
}

QStringList Machine::probe_port_list() {
    if (!port_connection_) {
        return {};
    }
    return port_list(*port_connection_);
}

std::uint8_t Machine::selected_port_id() const {
    return panel_.port_id();
}

void Machine::load_settings(const QString& path) {
    const SettingsRead read = read_settings_file(path);
    if (!read.file_exists) {
        op().show_message(MessageKind::Plain, QStringLiteral("Фай конфигурации отсутствует"));
    } else if (!read.message.isEmpty()) {
        op().show_message(MessageKind::Error, read.message);
    }
    // Without a file the table's values stand in, so that a first start can move the machine.
    state_.apply(read.parameters);
}

ParameterTexts Machine::parameter_texts() const {
    ParameterTexts texts;
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        texts[a - 1] = show_ratio(state_.mm_per_step[a]);
        texts[a + 2] = QString::number(state_.travel_limit[a]);
        texts[a + 5] = show_general(state_.backlash[a]);
    }
    return texts;
}

bool Machine::apply_parameter_texts(const ParameterTexts& texts, const QString& path) {
    if (busy() || asking()) {
        op().show_message(MessageKind::Error, busy_message());
        return false;
    }
    MachineParameters parameters;
    for (int a = AXIS_X; a <= AXIS_Z; ++a) {
        const Axis axis = static_cast<Axis>(a);
        const QString letter = QLatin1String(axis_name(axis));
        const auto ratio = read_parameter(ParameterKind::Ratio, texts[a - 1]);
        if (!ratio) {
            op().show_message(
                MessageKind::Error,
                QStringLiteral("Передаточное отношение по оси %1: \"%2\" не число или по модулю не "
                               "от 0,000001 до 100 мм/шаг. Настройки не изменены.")
                    .arg(letter, texts[a - 1]));
            return false;
        }
        const auto limit = read_parameter(ParameterKind::Limit, texts[a + 2]);
        if (!limit) {
            op().show_message(
                MessageKind::Error,
                QStringLiteral("Предел перемещения по оси %1: \"%2\" не целое число миллиметров. "
                               "Настройки не изменены.")
                    .arg(letter, texts[a + 2]));
            return false;
        }
        const auto slack = read_parameter(ParameterKind::Backlash, texts[a + 5]);
        if (!slack) {
            op().show_message(
                MessageKind::Error,
                QStringLiteral("Коррекция люфта по оси %1: \"%2\" не число или меньше 0. "
                               "Настройки не изменены.")
                    .arg(letter, texts[a + 5]));
            return false;
        }
        if (!backlash_fits(*slack, static_cast<std::int32_t>(*limit))) {
            operator_.show_message(
                MessageKind::Error,
                QStringLiteral("Коррекция люфта по оси %1: \"%2\" больше предела перемещения. "
                               "Настройки не изменены.")
                    .arg(letter, texts[a + 5]));
            return false;
        }
        parameters.mm_per_step[a] = *ratio;
        parameters.travel_limit[a] = static_cast<std::int32_t>(*limit);
        parameters.backlash[a] = *slack;
    }
    state_.apply(parameters);
    const QString failure = write_settings_file(path, parameters);
    if (!failure.isEmpty()) {
        op().show_message(
            MessageKind::Error,
            QStringLiteral("Настройки применены, но файл %1 не записан: %2").arg(path, failure));
    }
    return true;
}

double Machine::jog_speed(int position) {
    return static_cast<double>(position) * position / 100.0;
}

double Machine::jog_distance_mm(int position) {
    const int index = std::clamp(position, 1, 12) - 1;
    return kJogDistances[index];
}

double Machine::selected_jog_speed() const {
    return jog_speed(panel_.jog_speed_position());
}

double Machine::selected_jog_distance() const {
    return jog_distance_mm(panel_.jog_distance_position());
}

std::int32_t Machine::jog_steps(Axis axis) const {
    const Extended reciprocal = divide(1.0L, state_.mm_per_step[axis]);
    return step_count(reciprocal * static_cast<Extended>(selected_jog_distance()), axis);
}

void Machine::read_job_parameters() {
    JobParameters& job = state_.job;
    job.speed_xy = read_number(panel_.field_text(Field::SpeedXy));
    job.speed_xy_rapid = read_number(panel_.field_text(Field::SpeedXyRapid));
    job.z_travel = read_number(panel_.field_text(Field::ZTravel));
    job.speed_z_up = read_number(panel_.field_text(Field::SpeedZUp));
    job.speed_z_down = read_number(panel_.field_text(Field::SpeedZDown));
}

void PathExtents::include(double x, double y, double z) {
    if (empty) {
        min_x = max_x = x;
        min_y = max_y = y;
        min_z = max_z = z;
        empty = false;
        return;
    }
    min_x = std::min(min_x, x);
    max_x = std::max(max_x, x);
    min_y = std::min(min_y, y);
    max_y = std::max(max_y, y);
    min_z = std::min(min_z, z);
    max_z = std::max(max_z, z);
}

void Machine::show_displays(QString x, QString y, QString z) {
    shown_ = {std::move(x), std::move(y), std::move(z)};
    shown_are_numbers_ = false;
    op().show_position_texts(shown_[0], shown_[1], shown_[2]);
}

std::array<QString, 3> Machine::shown_position() const {
    if (!shown_are_numbers_) {
        return shown_;
    }
    return {show_fixed4(shown_numbers_[0]), show_fixed4(shown_numbers_[1]),
            show_fixed4(shown_numbers_[2])};
}

void Machine::view_xyz() {
    extents_.include(state_.pos_x, state_.pos_y, state_.pos_z);
    shown_numbers_ = {state_.pos_x, state_.pos_y, state_.pos_z};
    shown_are_numbers_ = true;
    op().show_position(state_.pos_x, state_.pos_y, state_.pos_z);
    op().show_track_window();
    track_.draw_to(state_.pos_x, state_.pos_y, state_.pos_z, state_.job.z_travel);
    const bool outside =
        state_.pos_x > state_.travel_limit[AXIS_X] || state_.pos_y > state_.travel_limit[AXIS_Y];
    if (!outside || limit_asked_) {
        return;
    }
    // Asked once a move or job; a display update while nothing runs is a question of its own.
    limit_asked_ = busy();
    QuestionScope asking(*this);
    if (!op().ask_yes_no(MessageKind::LimitWarning,
                         QStringLiteral("Выход за пределы, продолжить?"))) {
        state_.stop_requested = true;
    }
}

void Machine::show_position_again() {
    op().show_position(state_.pos_x, state_.pos_y, state_.pos_z);
    op().show_track_window();
}

QString Machine::zero_axis(Axis axis) {
    state_.position(axis) = 0;
    std::array<QString, 3> texts = shown_position();
    texts[axis - 1] = QStringLiteral("0");
    show_displays(texts[0], texts[1], texts[2]);
    return texts[axis - 1];
}

std::array<QString, 3> Machine::accept_new_position() {
    const std::array<QString, 3> typed = {panel_.field_text(Field::NewPositionX),
                                          panel_.field_text(Field::NewPositionY),
                                          panel_.field_text(Field::NewPositionZ)};
    const double x = read_number(dot_to_comma(typed[0]));
    const double y = read_number(dot_to_comma(typed[1]));
    const double z = read_number(dot_to_comma(typed[2]));
    state_.pos_x = x;
    state_.pos_y = y;
    state_.pos_z = z;
    show_displays(typed[0], typed[1], typed[2]);
    return typed;
}

}  // namespace ostrel
