// The operator and panel seams over MainWindow's controls.
#include "gui/window_operator.h"

#include <algorithm>
#include <array>

#include "gui/stop_dialog.h"
#include "port/port_selection.h"
#include "ui_main_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QMessageBox>

namespace ostrel {

WindowOperator::WindowOperator(Ui::MainWindow& ui, QWidget& window, Desktop& desktop, Clock& clock)
    : ui_(ui),
      window_(window),
      desktop_(desktop),
      clock_(clock),
      displays_(window, {ui.positionXDisplay, ui.positionYDisplay, ui.positionZDisplay},
                *ui.progressGauge, wait_painter_) {
    // Every change of the box's text, chosen or typed, passes here before the next port write.
    port_id_ = port_id_for_name(ui.portCombo->currentText());
    QObject::connect(ui.portCombo, &QComboBox::currentTextChanged, [this](const QString& text) {
        port_id_ = port_id_for_name(text, added_ports());
    });
}

void WindowOperator::know_added_ports(std::vector<AddedPort> added) {
    Panel::know_added_ports(std::move(added));
    port_id_ = port_id_for_name(ui_.portCombo->currentText(), added_ports());
}

namespace {

QMessageBox::Icon icon_of(MessageKind kind) {
    switch (kind) {
        case MessageKind::Plain:
            break;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::LimitWarning:
        case MessageKind::JobBeyondLimits:
            return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void WindowOperator::show_message(MessageKind kind, const QString& text) {
    displays_.release_held();  // the box is drawn at once, and the displays behind it are current
    desktop_.message_box(&window_, application_title(), text, icon_of(kind));
}

bool WindowOperator::ask_yes_no(MessageKind kind, const QString& text) {
    displays_.release_held();
    return desktop_.question_box(&window_, application_title(), text, icon_of(kind));
}

QWidget* WindowOperator::field_widget(Field field) const {
    switch (field) {
        case Field::SpeedXy:
            return ui_.speedXyEdit;
        case Field::SpeedXyRapid:
            return ui_.speedXyRapidEdit;
        case Field::ZTravel:
            return ui_.zTravelEdit;
        case Field::SpeedZUp:
            return ui_.speedZUpEdit;
        case Field::SpeedZDown:
            return ui_.speedZDownEdit;
        case Field::DrillDepth:
            return ui_.drillDepthEdit;
        case Field::DxfFile:
            return ui_.dxfFileEdit;
        case Field::GerberFile:
            return ui_.gerberFileEdit;
        case Field::GcodeFile:
            return ui_.gcodeFileEdit;
        case Field::MarkerDiameter:
            return ui_.markerDiameterEdit;
        case Field::OffsetX:
            return ui_.offsetXEdit;
        case Field::OffsetY:
            return ui_.offsetYEdit;
        case Field::GoToX:
            return ui_.goToXEdit;
        case Field::GoToY:
            return ui_.goToYEdit;
        case Field::GoToZ:
            return ui_.goToZEdit;
        case Field::NewPositionX:
            return ui_.newPositionXEdit;
        case Field::NewPositionY:
            return ui_.newPositionYEdit;
        case Field::NewPositionZ:
            return ui_.newPositionZEdit;
        case Field::Port:
            return ui_.portCombo;
    }
    return nullptr;
}

void WindowOperator::focus_field(Field field) {
    if (QWidget* widget = field_widget(field)) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void WindowOperator::process_messages() {
    // Asked before every step. A pass through the window system's poll costs microseconds, more
    // than a fast step itself, so steps closer together than this share one: Esc, Pause and the
    // close box are still answered within a millisecond. A little more often than 1 kHz, so that
    // steps a millisecond apart, a little early by the clock, each still get their pass.
    constexpr std::int64_t kPassesPerSecond = 1250;
    const std::int64_t now = clock_.counter();
    if (now - last_message_pass_ < clock_.frequency() / kPassesPerSecond) {
        return;
    }
    last_message_pass_ = now;
    QCoreApplication::processEvents();
}

void WindowOperator::set_gauge(int percent) {
    displays_.set_gauge(percent);
}

void WindowOperator::show_position(double x, double y, double z) {
    displays_.show_position(x, y, z);
}

void WindowOperator::show_position_texts(const QString& x, const QString& y, const QString& z) {
    displays_.show_position_texts(x, y, z);
}

void WindowOperator::during_wait(double seconds) {
    displays_.during_wait(seconds);
}

void WindowOperator::flush_position() {
    displays_.flush();
}

void WindowOperator::show_track_window() {
    if (track_window_ && !track_window_->isVisible()) {
        track_window_->show();
    }
}

void WindowOperator::set_stop_dialog(StopDialog* dialog) {
    stop_dialog_ = dialog;
}

bool WindowOperator::ask_continue() {
    if (!stop_dialog_) {
        return true;
    }
    displays_.release_held();
    // A stale answer must not count: closing the dialog with its close box means "don't go on".
    stop_dialog_->clear_answer();
    stop_dialog_->show();
    stop_dialog_->raise();
    while (stop_dialog_ && stop_dialog_->isVisible()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return stop_dialog_ && stop_dialog_->answer() == QStringLiteral("yes");
}

QString WindowOperator::field_text(Field field) const {
    switch (field) {
        case Field::Port:
            return ui_.portCombo->currentText();
        case Field::MarkerDiameter:
            // The mask's comma is shown but is not part of the value: "0,5" on screen is "05".
            return ui_.markerDiameterEdit->text().remove(u',');
        default:
            break;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(field_widget(field))) {
        return edit->text();
    }
    return {};
}

int WindowOperator::jog_speed_position() const {
    return ui_.jogSpeedSlider->value();
}

int WindowOperator::jog_distance_position() const {
    return ui_.jogDistanceSlider->value();
}

bool WindowOperator::return_to_origin() const {
    return ui_.returnToOriginCheck->isChecked();
}

int WindowOperator::file_page() const {
    return ui_.filePages->currentIndex();
}

// The spin box takes whole numbers in its range only, so its value is always the typed number.
int WindowOperator::preview_zoom() const {
    return ui_.zoomSpin->value();
}

bool WindowOperator::auto_zoom() const {
    return ui_.autoZoomCheck->isChecked();
}

bool WindowOperator::idle_moves() const {
    return ui_.idleMovesCheck->isChecked();
}

bool WindowOperator::standard_mode(int page) const {
    return page == 0 ? ui_.dxfStandardCheck->isChecked() : ui_.gerberStandardCheck->isChecked();
}

PlacementOrigin WindowOperator::placement_origin() const {
    return ui_.placementOriginCombo->currentIndex() == 1 ? PlacementOrigin::Corner
                                                         : PlacementOrigin::File;
}

bool WindowOperator::mirror_x() const {
    return ui_.mirrorXCheck->isChecked();
}

// dxfUnitCombo's entries in their order: the file's unit, then the ones it may be told.
constexpr std::array<const char*, 6> kDxfUnits = {"", "mm", "cm", "m", "in", "ft"};

QString WindowOperator::dxf_unit() const {
    const int index = ui_.dxfUnitCombo->currentIndex();
    return index > 0 && index < static_cast<int>(kDxfUnits.size())
               ? QLatin1String(kDxfUnits[static_cast<std::size_t>(index)])
               : QString();
}

void WindowOperator::show_dxf_unit(const QString& name) {
    const auto found = std::find_if(kDxfUnits.begin(), kDxfUnits.end(), [&name](const char* unit) {
        return name == QLatin1String(unit);
    });
    ui_.dxfUnitCombo->setCurrentIndex(
        found == kDxfUnits.end() ? 0 : static_cast<int>(found - kDxfUnits.begin()));
}

bool WindowOperator::circles_as_holes() const {
    return ui_.circleHolesCheck->isChecked();
}

void WindowOperator::keep_offset(const QString& x, const QString& y) {
    ui_.offsetXEdit->setText(x);
    ui_.offsetYEdit->setText(y);
    ui_.placementOriginCombo->setCurrentIndex(0);
}

}  // namespace ostrel
