// The operator and panel seams over MainWindow's controls, and the Qt desktop behind the windows.
#include "gui/window_operator.h"

#include "core/number_text.h"
#include "gui/stop_dialog.h"
#include "port/port_selection.h"
#include "ui_main_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMetaObject>

namespace ostrel {

QString application_title() {
    return QStringLiteral("Ostrel 7");
}

void QtDesktop::message_box(QWidget* parent, const QString& caption, const QString& text,
                            QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QString QtDesktop::open_file_name(QWidget* parent, const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString QtDesktop::save_file_name(QWidget* parent, const QString& caption, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

void QtDesktop::open_url(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void QtDesktop::end_program(int exit_status) {
    // Queued: QCoreApplication::exit does nothing before the message loop has started.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exit_status] { QCoreApplication::exit(exit_status); },
        Qt::QueuedConnection);
}

WindowOperator::WindowOperator(Ui::MainWindow& ui, QWidget& window, Desktop& desktop)
    : ui_(ui),
      window_(window),
      desktop_(desktop),
      position_texts_{ui.positionXDisplay->text(), ui.positionYDisplay->text(),
                      ui.positionZDisplay->text()} {
    display_timer_.setInterval(kDisplayIntervalMs);
    QObject::connect(&display_timer_, &QTimer::timeout, [this] { display_timer_fired(); });
    wait_painter_.set_before_draw(&window_, [this] {
        if (position_pending_) {
            push_position();
        }
    });
    // Every change of the box's text, chosen or typed, passes here before the next port write.
    port_id_ = port_id_for_name(ui.portCombo->currentText());
    QObject::connect(ui.portCombo, &QComboBox::currentTextChanged,
                     [this](const QString& text) { port_id_ = port_id_for_name(text); });
}

void WindowOperator::show_message(MessageKind kind, const QString& text) {
    release_held();  // the box is drawn at once, and the displays behind it are current
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (kind) {
        case MessageKind::Plain:
            break;
        case MessageKind::Error:
            icon = QMessageBox::Critical;
            break;
        case MessageKind::LimitWarning:
            icon = QMessageBox::Warning;
            break;
    }
    desktop_.message_box(&window_, application_title(), text, icon);
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
        case Field::MarkerDiameter:
            return ui_.markerDiameterEdit;
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
    QCoreApplication::processEvents();
}

// The gauge and the displays change at every step; the screen follows at most every tick, and a
// change after a quiet spell shows at once.
void WindowOperator::set_gauge(int percent) {
    if (percent == gauge_) {
        return;
    }
    gauge_ = percent;
    display_changed();
}

void WindowOperator::show_position(double x, double y, double z) {
    position_values_ = {x, y, z};
    position_typed_ = false;
    display_changed();
}

void WindowOperator::show_position_texts(const QString& x, const QString& y, const QString& z) {
    position_texts_ = {x, y, z};
    position_typed_ = true;
    display_changed();
}

void WindowOperator::display_changed() {
    if (wait_painter_.holding()) {
        // The texts are set when a step wait draws the window.
        position_pending_ = true;
        wait_painter_.hold(&window_);
        return;
    }
    if (display_timer_.isActive()) {
        position_pending_ = true;  // the timer brings the latest state to the screen
        return;
    }
    push_position();
    display_timer_.start();
}

void WindowOperator::during_wait(double seconds) {
    waited_since_tick_ = true;
    if (!wait_painter_.holding() || !display_timer_.isActive()) {
        display_timer_.start(kSteppingTickMs);
    }
    wait_painter_.during_wait(seconds);
}

void WindowOperator::display_timer_fired() {
    if (wait_painter_.holding()) {
        if (waited_since_tick_) {
            waited_since_tick_ = false;  // still stepping: the waits draw
            return;
        }
        release_held();
    }
    if (!position_pending_) {
        display_timer_.stop();
        return;
    }
    push_position();
}

void WindowOperator::push_position() {
    position_pending_ = false;
    if (!position_typed_) {
        position_texts_ = {show_fixed4(position_values_[0]), show_fixed4(position_values_[1]),
                           show_fixed4(position_values_[2])};
    }
    // Setting a line edit's text lays it out and repaints it anew; during a move most displays
    // keep theirs.
    QLineEdit* const displays[] = {ui_.positionXDisplay, ui_.positionYDisplay,
                                   ui_.positionZDisplay};
    for (std::size_t i = 0; i < 3; ++i) {
        if (displays[i]->text() != position_texts_[i]) {
            displays[i]->setText(position_texts_[i]);
        }
    }
    ui_.progressGauge->setValue(gauge_);
}

void WindowOperator::release_held() {
    if (wait_painter_.holding()) {
        wait_painter_.release();
        display_timer_.setInterval(kDisplayIntervalMs);
    }
}

void WindowOperator::flush_position() {
    release_held();
    if (position_pending_) {
        push_position();
    }
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
    release_held();
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

}  // namespace ostrel
