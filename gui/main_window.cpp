// MainWindow: start-up, the job-kind switch, the splash, the settings and pin-test handlers.
#include "gui/main_window.h"

#include "gui/kept_choices.h"

#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "gui/file_view_window.h"
#include "gui/screen/picture_view.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"
#include "gui/window_operator.h"
#include "jobs/job_file_choice.h"
#include "jobs/job_parameters_file.h"
#include "port/port_options.h"
#include "ui_main_window.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTableWidgetItem>
#include <algorithm>

// Pictures live in the window library, which the linker would otherwise leave out.
static void init_picture_resources() {
    Q_INIT_RESOURCE(ostrel);
}

namespace ostrel {
namespace {

constexpr int kIconSize = 25;

// An arrow pointing up, turned clockwise by degrees.
QIcon arrow_icon(qreal degrees, const QColor& color) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kIconSize / 2.0, kIconSize / 2.0);
    painter.rotate(degrees);
    QPainterPath arrow;
    arrow.moveTo(0, -11);
    arrow.lineTo(10, 0);
    arrow.lineTo(4, 0);
    arrow.lineTo(4, 11);
    arrow.lineTo(-4, 11);
    arrow.lineTo(-4, 0);
    arrow.lineTo(-10, 0);
    arrow.closeSubpath();
    painter.setPen(QPen(color.darker(160), 1));
    painter.setBrush(color);
    painter.drawPath(arrow);
    return QIcon(pixmap);
}

QIcon folder_icon() {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor edge(150, 110, 20);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(QColor(235, 190, 70));
    QPainterPath back;
    back.moveTo(2, 5);
    back.lineTo(9, 5);
    back.lineTo(11, 8);
    back.lineTo(22, 8);
    back.lineTo(22, 20);
    back.lineTo(2, 20);
    back.closeSubpath();
    painter.drawPath(back);
    painter.setBrush(QColor(250, 215, 110));
    QPainterPath front;
    front.moveTo(2, 20);
    front.lineTo(5, 11);
    front.lineTo(24, 11);
    front.lineTo(22, 20);
    front.closeSubpath();
    painter.drawPath(front);
    return QIcon(pixmap);
}

// A file of the documentation: installed next to the program, else in the source tree.
QUrl doc_file(const QString& installed_name, const QString& source_name) {
    const QString installed = QDir(QStringLiteral(OSTREL_DOC_DIR)).filePath(installed_name);
    if (QFileInfo::exists(installed)) {
        return QUrl::fromLocalFile(installed);
    }
    return QUrl::fromLocalFile(QDir(QStringLiteral(OSTREL_SOURCE_DIR)).filePath(source_name));
}

const QString kJobFileFilter = QStringLiteral("Параметры задания (*.ini);;Все файлы (*)");

// The file-view window as the Gerber runs see it.
class FileViewAdapter final : public FileView {
public:
    explicit FileViewAdapter(FileViewWindow& form) : form_(form) {}
    void show() override {
        form_.show();
        form_.raise();
        form_.activateWindow();
    }
    Picture& picture() override { return form_.picture(); }
    QSize outer_size() const override { return form_.outer_size(); }

private:
    FileViewWindow& form_;
};

// Fields where the arrow keys belong to the text, not to the machine.
bool takes_arrow_keys(const QWidget* widget) {
    if (widget == nullptr) {
        return false;
    }
    if (qobject_cast<const QLineEdit*>(widget) != nullptr ||
        qobject_cast<const QAbstractSpinBox*>(widget) != nullptr) {
        return true;
    }
    const auto* combo = qobject_cast<const QComboBox*>(widget);
    return combo != nullptr && combo->isEditable();
}

}  // namespace

MainWindow::MainWindow(Desktop& desktop, PortBackendFactory open_backend, Clock& clock,
                       QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::MainWindow>()),
      desktop_(desktop),
      open_backend_(std::move(open_backend)),
      track_picture_(QSize(TrackView::kWidth, TrackView::kHeight)) {
    ui->setupUi(this);
    setFixedSize(408, 412);
    move(196, 118);
    setWindowTitle(application_title());

    // The job kind starts unchosen: the box shows its prompt and no item.
    ui->jobKindCombo->setCurrentIndex(-1);
    ui->jobKindCombo->setEditText(QStringLiteral("< выбери  >"));
    ui->portCombo->setEditText(QStringLiteral("<...>"));
    QPalette info = ui->portCombo->palette();
    info.setColor(QPalette::Base, info.color(QPalette::ToolTipBase));
    info.setColor(QPalette::Text, info.color(QPalette::ToolTipText));
    ui->portCombo->setPalette(info);

    ui->markerDiameterEdit->setInputMask(QStringLiteral("9,9;_"));
    ui->markerDiameterEdit->setText(QStringLiteral("05"));

    ui->apertureGrid->horizontalHeader()->hide();
    ui->apertureGrid->verticalHeader()->hide();
    ui->apertureGrid->verticalHeader()->setMinimumSectionSize(15);
    ui->apertureGrid->verticalHeader()->setDefaultSectionSize(15);
    const int widths[] = {54, 41, 39, 48};
    for (int column = 0; column < 4; ++column) {
        ui->apertureGrid->setColumnWidth(column, widths[column]);
        // Row 0 is the grid's fixed header row: shaded, never edited.
        auto* header = new QTableWidgetItem;
        header->setFlags(Qt::NoItemFlags);
        header->setBackground(palette().button());
        ui->apertureGrid->setItem(0, column, header);
    }

    set_pictures();
    ui->splashPanel->raise();
    // Nothing under the splash is reachable, not even with the Tab key.
    ui->mainTabs->setEnabled(false);
    ui->positionBox->setEnabled(false);
    ui->splashPicture->installEventFilter(this);
    ui->aboutPicture->installEventFilter(this);

    splashTimer = new QTimer(this);
    splashTimer->setObjectName(QStringLiteral("splashTimer"));
    splashTimer->setInterval(kSplashMs);
    splashProgressTimer = new QTimer(this);
    splashProgressTimer->setObjectName(QStringLiteral("splashProgressTimer"));
    splashProgressTimer->setInterval(kSplashStepMs);

    operator_ = std::make_unique<WindowOperator>(*ui, *this, desktop_, clock);
    controller_ = std::make_unique<Controller>(*operator_, *operator_, track_picture_, clock);

    connect_handlers();
    reading_mode_changed();
    start_up();
    splashTimer->start();
    splashProgressTimer->start();
}

MainWindow::~MainWindow() = default;

void MainWindow::attach_windows(StopDialog& stop_dialog, FileViewWindow& file_view_window,
                                TrackWindow& track_window) {
    stop_dialog_ = &stop_dialog;
    file_view_window_ = &file_view_window;
    track_window_ = &track_window;
    operator_->set_track_window(&track_window);
    track_window.picture_view().draw_in_waits_of(operator_->wait_painter());
    operator_->set_stop_dialog(&stop_dialog);
    file_view_ = std::make_unique<FileViewAdapter>(file_view_window);
    controller_->gerber.set_file_view(file_view_.get());
    // Key preview: the main window hears keys before its controls, and during moves from the
    // other windows too.
    qApp->installEventFilter(this);
}

void MainWindow::set_pictures() {
    init_picture_resources();
    ui->splashPicture->setPixmap(QPixmap(QStringLiteral(":/pictures/splash.jpg")));
    ui->aboutPicture->setPixmap(QPixmap(QStringLiteral(":/pictures/about.jpg")));

    const QColor xy(40, 90, 200);
    const QColor z(200, 70, 40);
    ui->jogYPlusButton->setIcon(arrow_icon(0, xy));
    ui->jogXPlusButton->setIcon(arrow_icon(90, xy));
    ui->jogYMinusButton->setIcon(arrow_icon(180, xy));
    ui->jogXMinusButton->setIcon(arrow_icon(270, xy));
    ui->jogZUpButton->setIcon(arrow_icon(0, z));
    ui->jogZDownButton->setIcon(arrow_icon(180, z));
    ui->chooseDxfFileButton->setIcon(folder_icon());
    ui->chooseGerberFileButton->setIcon(folder_icon());
    ui->chooseGcodeFileButton->setIcon(folder_icon());
}

void MainWindow::connect_handlers() {
    connect(ui->jobKindCombo, &QComboBox::currentIndexChanged, this, &MainWindow::job_kind_changed);
    connect(ui->jobKindCombo, &QComboBox::editTextChanged, this, &MainWindow::job_kind_changed);
    connect(splashTimer, &QTimer::timeout, this, &MainWindow::hide_splash);
    connect(splashProgressTimer, &QTimer::timeout, this, &MainWindow::splash_progress_tick);

    connect(ui->zeroXButton, &QPushButton::clicked, this, &MainWindow::zero_x);
    connect(ui->zeroYButton, &QPushButton::clicked, this, &MainWindow::zero_y);
    connect(ui->zeroZButton, &QPushButton::clicked, this, &MainWindow::zero_z);

    connect(ui->jogSpeedSlider, &QSlider::valueChanged, this, &MainWindow::jog_speed_changed);
    connect(ui->jogDistanceSlider, &QSlider::valueChanged, this, &MainWindow::jog_distance_changed);
    connect(ui->jogYPlusButton, &QToolButton::clicked, this, &MainWindow::jog_y_plus);
    connect(ui->jogYMinusButton, &QToolButton::clicked, this, &MainWindow::jog_y_minus);
    connect(ui->jogXMinusButton, &QToolButton::clicked, this, &MainWindow::jog_x_minus);
    connect(ui->jogXPlusButton, &QToolButton::clicked, this, &MainWindow::jog_x_plus);
    connect(ui->jogZUpButton, &QToolButton::clicked, this, &MainWindow::jog_z_up);
    connect(ui->jogZDownButton, &QToolButton::clicked, this, &MainWindow::jog_z_down);
    connect(ui->goToPointButton, &QPushButton::clicked, this, &MainWindow::go_to_point);
    connect(ui->acceptNewPositionButton, &QPushButton::clicked, this,
            &MainWindow::accept_new_position);

    connect(ui->drawButton, &QPushButton::clicked, this, &MainWindow::run_draw_job);
    connect(ui->drillButton, &QPushButton::clicked, this, &MainWindow::run_drill_job);
    connect(ui->saveParametersButton, &QPushButton::clicked, this,
            &MainWindow::save_job_parameters);
    connect(ui->loadParametersButton, &QPushButton::clicked, this,
            &MainWindow::load_job_parameters);
    connect(ui->chooseDxfFileButton, &QToolButton::clicked, this, &MainWindow::browse_job_file);
    connect(ui->chooseGerberFileButton, &QToolButton::clicked, this, &MainWindow::browse_job_file);
    connect(ui->chooseGcodeFileButton, &QToolButton::clicked, this, &MainWindow::browse_job_file);
    connect(ui->dxfPreviewButton, &QPushButton::clicked, this, &MainWindow::show_dxf_preview);
    connect(ui->zoomSpin, &QSpinBox::valueChanged, this, &MainWindow::zoom_changed);
    // A change of state by any means counts as a click.
    connect(ui->autoZoomCheck, &QCheckBox::toggled, this, &MainWindow::auto_zoom_toggled);
    connect(ui->idleMovesCheck, &QCheckBox::toggled, this, &MainWindow::idle_moves_toggled);
    connect(ui->gerberPreviewButton, &QPushButton::clicked, this, &MainWindow::show_gerber_preview);
    connect(ui->gcodePreviewButton, &QPushButton::clicked, this, &MainWindow::show_gcode_preview);
    // The controls of the true-size reading are live only where the page reads that way.
    connect(ui->dxfStandardCheck, &QCheckBox::toggled, this, &MainWindow::reading_mode_changed);
    connect(ui->gerberStandardCheck, &QCheckBox::toggled, this, &MainWindow::reading_mode_changed);
    connect(ui->filePages, &QTabWidget::currentChanged, this, &MainWindow::reading_mode_changed);
    connect(ui->placementOriginCombo, &QComboBox::currentIndexChanged, this,
            &MainWindow::reading_mode_changed);

    connect(ui->pinTestButton, &QPushButton::clicked, this, &MainWindow::send_pin_test);
    connect(ui->applySettingsButton, &QPushButton::clicked, this, &MainWindow::apply_settings);
}

template <typename Body>
void MainWindow::guarded(Body&& body) {
    try {
        body();
    } catch (const OperationAbandoned& abandoned) {
        operator_->show_message(MessageKind::Error, abandoned.message());
    }
}

void MainWindow::start_up() {
    guarded([this] {
        controller_->machine.open_port(open_backend_());
        LptPortConnection& port = controller_->machine.port_connection();
        if (!port.is_ready()) {
            desktop_.message_box(this, QStringLiteral("ERROR"), port_failure_message(port),
                                 QMessageBox::Critical);
            // The start-up still runs to its end; the program stops once its loop starts.
            desktop_.end_program(1);
        }

        // The ports are probed again here, not taken from the connection's first probe.
        const QStringList ports = controller_->machine.probe_port_list();
        ui->portCombo->clear();
        ui->portCombo->setEditText(QString());
        ui->portCombo->addItems(ports);
        if (!ports.isEmpty()) {
            ui->portCombo->setCurrentIndex(0);
        }

        controller_->machine.load_settings();
        show_parameter_texts();
        ui->jogSpeedValue->setText(show_fixed4(Machine::jog_speed(ui->jogSpeedSlider->value())));

        MachineState& state = controller_->machine.state();
        state.pos_x = 0;
        state.pos_y = 0;
        state.pos_z = 0;
    });
}

void MainWindow::show_parameter_texts() {
    const ParameterTexts texts = controller_->machine.parameter_texts();
    QLineEdit* const edits[] = {ui->ratioXEdit,       ui->ratioYEdit,       ui->ratioZEdit,
                                ui->travelLimitXEdit, ui->travelLimitYEdit, ui->travelLimitZEdit,
                                ui->backlashXEdit,    ui->backlashYEdit,    ui->backlashZEdit};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        edits[i]->setText(texts[i]);
    }
}

void MainWindow::job_kind_changed() {
    // Text typed into the box selects no item, even while the list still marks one.
    int index = ui->jobKindCombo->currentIndex();
    if (index >= 0 && ui->jobKindCombo->itemText(index) != ui->jobKindCombo->currentText()) {
        index = -1;
    }
    if (index != 0 && index != 1) {
        return;
    }
    const bool drilling = index == 1;
    ui->drawButton->setVisible(!drilling);
    ui->drillButton->setVisible(drilling);
    ui->drillDepthLabel->setVisible(drilling);
    ui->drillDepthEdit->setVisible(drilling);
    ui->drillDepthUnit->setVisible(drilling);
    ui->passDepthLabel->setVisible(false);
    ui->passDepthEdit->setVisible(false);
    if (drilling) {
        ui->drillDepthLabel->setText(QStringLiteral("глубина отверстия"));
        ui->drillDepthEdit->setText(QStringLiteral("2"));
    }
    ui->speedXyEdit->setText(QStringLiteral("2,5"));
    ui->speedXyRapidEdit->setText(QStringLiteral("2,5"));
    ui->zTravelEdit->setText(QStringLiteral("0,5"));
    ui->speedZUpEdit->setText(QStringLiteral("1,5"));
    ui->speedZDownEdit->setText(drilling ? QStringLiteral("0,2") : QStringLiteral("1,5"));
}

void MainWindow::hide_splash() {
    ui->splashPanel->hide();
    ui->mainTabs->setEnabled(true);
    ui->positionBox->setEnabled(true);
}

void MainWindow::splash_progress_tick() {
    ui->splashProgress->setValue(
        std::max(ui->splashProgress->minimum(), ui->splashProgress->value() - 5));
}

void MainWindow::open_guide() {
    desktop_.open_url(doc_file(QStringLiteral("guide.html"), QStringLiteral("docs/guide.html")));
}

void MainWindow::open_readme() {
    desktop_.open_url(doc_file(QStringLiteral("README.md"), QStringLiteral("README.md")));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        return key_preview(watched, static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::ApplicationStateChange &&
        static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
            Qt::ApplicationActive) {
        held_keys_.forget_all();  // the keys' releases now go to another program
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui->splashPicture) {
            open_guide();
            return true;
        }
        if (watched == ui->aboutPicture) {
            open_readme();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Stops the running move as "НЕТ" would, and for good: the return to the origin, a move it
    // ran inside, and whatever is clicked before the program ends move nothing.
    controller_->machine.halt();
    for (QWidget* other :
         {static_cast<QWidget*>(stop_dialog_), static_cast<QWidget*>(file_view_window_),
          static_cast<QWidget*>(track_window_)}) {
        if (other != nullptr) {
            other->hide();  // an open "Продолжить?" is answered "no" by its hiding
        }
    }
    if (choice_store_ != nullptr) {
        write_kept_choices(*choice_store_, kept_choices());
    }
    // The program ends once the stopped move has unwound back to the message loop.
    desktop_.end_program(0);
    event->accept();
}

void MainWindow::show_zero(Axis axis) {
    guarded([this, axis] {
        controller_->machine.zero_axis(axis);
        operator_->flush_position();
    });
}

void MainWindow::zero_x() {
    show_zero(AXIS_X);
}
void MainWindow::zero_y() {
    show_zero(AXIS_Y);
}
void MainWindow::zero_z() {
    show_zero(AXIS_Z);
}

void MainWindow::jog_speed_changed() {
    ui->jogSpeedValue->setText(show_fixed4(Machine::jog_speed(ui->jogSpeedSlider->value())));
}

void MainWindow::jog_distance_changed() {
    ui->jogDistanceValue->setText(
        show_fixed4(Machine::jog_distance_mm(ui->jogDistanceSlider->value())));
}

bool MainWindow::key_preview(QObject* watched, QKeyEvent* key) {
    // A key event travels up from the focus widget; take it once, where it starts.
    auto* widget = qobject_cast<QWidget*>(watched);
    const QWidget* focus = QApplication::focusWidget();
    if (widget == nullptr || (focus != nullptr ? widget != focus : !widget->isWindow())) {
        return false;
    }
    if (key->type() == QEvent::KeyRelease) {
        held_keys_.release(key->key(), key->timestamp(), key->isAutoRepeat());
        return false;
    }
    const bool new_press = held_keys_.press(key->key(), key->timestamp(), key->isAutoRepeat());
    if (widget == ui->idleMovesCheck) {
        idle_moves_key_pressed();  // every key on the box draws the preview, and goes on to the box
    }
    const QWidget* window = widget->window();
    const bool ours = window == this || window == file_view_window_ || window == track_window_;
    if (!ours) {
        return false;
    }
    if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Pause) {
        if (!controller_->machine.busy()) {
            return false;
        }
        if (new_press) {
            controller_->manual.pause_requested();
        }
        return true;
    }
    const bool jog_key = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right ||
                         key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
                         key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown;
    if (!jog_key || window != this || ui->mainTabs->currentWidget() != ui->manualTab ||
        ui->splashPanel->isVisible() || takes_arrow_keys(widget)) {
        return false;
    }
    // One press, one jog: the keyboard's repeats must not queue jogs that run on after the key
    // is let go.
    if (new_press) {
        guarded([this, key] { controller_->manual.key_jog(static_cast<Qt::Key>(key->key())); });
    }
    return true;
}

void MainWindow::jog_y_plus() {
    guarded([this] { controller_->manual.jog_y_plus(); });
}
void MainWindow::jog_y_minus() {
    guarded([this] { controller_->manual.jog_y_minus(); });
}
void MainWindow::jog_x_minus() {
    guarded([this] { controller_->manual.jog_x_minus(); });
}
void MainWindow::jog_x_plus() {
    guarded([this] { controller_->manual.jog_x_plus(); });
}
void MainWindow::jog_z_up() {
    guarded([this] { controller_->manual.jog_z_up(); });
}
void MainWindow::jog_z_down() {
    guarded([this] { controller_->manual.jog_z_down(); });
}
void MainWindow::go_to_point() {
    guarded([this] { controller_->manual.go_to_point(); });
}

void MainWindow::accept_new_position() {
    guarded([this] {
        controller_->machine.accept_new_position();
        operator_->flush_position();
    });
}

void MainWindow::run_draw_job() {
    guarded([this] { controller_->jobs.run_draw_job(); });
}
void MainWindow::run_drill_job() {
    guarded([this] { controller_->jobs.run_drill_job(); });
}

void MainWindow::browse_job_file() {
    const JobFileChoice choice = job_file_choice(operator_->file_page());
    const QString path = desktop_.open_file_name(
        this, QString(), name_filters_of(choice.filter).join(QStringLiteral(";;")), job_folder_);
    if (!path.isEmpty()) {
        job_folder_ = QFileInfo(path).absolutePath();
        choose_job_file(path);
    }
}

void MainWindow::choose_job_file(const QString& path) {
    const JobFileChoice choice = job_file_choice(operator_->file_page());
    QLineEdit* field = choice.field == Field::DxfFile     ? ui->dxfFileEdit
                       : choice.field == Field::GcodeFile ? ui->gcodeFileEdit
                                                          : ui->gerberFileEdit;
    field->setText(path);
    if (choice.loads_apertures) {
        guarded([this] { controller_->gerber.load_apertures(); });
        show_aperture_grid();
    }
}

void MainWindow::show_aperture_grid() {
    const ApertureGrid& grid = controller_->gerber.grid();
    for (int row = 1; row < ApertureGrid::kRows && row < ui->apertureGrid->rowCount(); ++row) {
        for (int column = 0; column < ApertureGrid::kColumns; ++column) {
            QTableWidgetItem* item = ui->apertureGrid->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                ui->apertureGrid->setItem(row, column, item);
            }
            item->setText(grid.cell(row, column));
        }
    }
}

void MainWindow::render_preview() {
    if (file_view_window_ == nullptr) {
        return;
    }
    guarded([this] {
        controller_->previews.dxf(file_view_window_->picture(),
                                  file_view_window_->outer_size().height(),
                                  [this] { file_view_->show(); });
    });
}

void MainWindow::reading_mode_changed() {
    const bool dxf = ui->dxfStandardCheck->isChecked();
    // The G-code page reads at true size always.
    const int page = ui->filePages->currentIndex();
    const bool standard = page == 0 ? dxf : page == 1 ? ui->gerberStandardCheck->isChecked() : true;
    ui->dxfUnitLabel->setEnabled(dxf);
    ui->dxfUnitCombo->setEnabled(dxf);
    ui->circleHolesCheck->setEnabled(dxf);
    ui->apertureGrid->setEnabled(!ui->gerberStandardCheck->isChecked());
    ui->placementOriginCombo->setEnabled(standard);
    ui->mirrorXCheck->setEnabled(standard);
    const bool offset = standard && ui->placementOriginCombo->currentIndex() == 0;
    for (QWidget* widget :
         {static_cast<QWidget*>(ui->offsetXLabel), static_cast<QWidget*>(ui->offsetXEdit),
          static_cast<QWidget*>(ui->offsetYLabel), static_cast<QWidget*>(ui->offsetYEdit)}) {
        widget->setEnabled(offset);
    }
}

void MainWindow::show_dxf_preview() {
    render_preview();
}
void MainWindow::zoom_changed() {
    render_preview();
}
void MainWindow::auto_zoom_toggled() {
    render_preview();
    ui->zoomSpin->setVisible(ui->zoomSpin->isHidden());
}
void MainWindow::idle_moves_toggled() {
    render_preview();
}
void MainWindow::idle_moves_key_pressed() {
    render_preview();
}

void MainWindow::show_gerber_preview() {
    guarded([this] {
        if (file_view_ != nullptr) {
            controller_->previews.gerber(*file_view_);
        }
    });
}

void MainWindow::show_gcode_preview() {
    guarded([this] {
        if (file_view_ != nullptr) {
            ui->gcodeInfoLabel->setText(
                GcodeJobs::describe(controller_->previews.gcode(*file_view_)));
        }
    });
}

JobParameterTexts MainWindow::job_parameter_texts() const {
    JobParameterTexts texts;
    texts.speed_xy = ui->speedXyEdit->text();
    texts.speed_xy_rapid = ui->speedXyRapidEdit->text();
    texts.z_travel = ui->zTravelEdit->text();
    texts.speed_z_up = ui->speedZUpEdit->text();
    texts.speed_z_down = ui->speedZDownEdit->text();
    texts.drill_depth = ui->drillDepthEdit->text();
    texts.marker_diameter = operator_->field_text(Field::MarkerDiameter);
    texts.return_to_origin = ui->returnToOriginCheck->isChecked();
    texts.dxf_standard = ui->dxfStandardCheck->isChecked();
    texts.dxf_unit = operator_->dxf_unit();
    texts.circles_as_holes = ui->circleHolesCheck->isChecked();
    texts.gerber_standard = ui->gerberStandardCheck->isChecked();
    texts.origin = ui->placementOriginCombo->currentIndex() == 1 ? QStringLiteral("corner")
                                                                 : QStringLiteral("file");
    texts.offset_x = ui->offsetXEdit->text();
    texts.offset_y = ui->offsetYEdit->text();
    texts.mirror_x = ui->mirrorXCheck->isChecked();
    return texts;
}

void MainWindow::show_job_parameter_texts(const JobParameterTexts& texts) {
    ui->speedXyEdit->setText(texts.speed_xy);
    ui->speedXyRapidEdit->setText(texts.speed_xy_rapid);
    ui->zTravelEdit->setText(texts.z_travel);
    ui->speedZUpEdit->setText(texts.speed_z_up);
    ui->speedZDownEdit->setText(texts.speed_z_down);
    ui->drillDepthEdit->setText(texts.drill_depth);
    ui->markerDiameterEdit->setText(texts.marker_diameter);
    ui->returnToOriginCheck->setChecked(texts.return_to_origin);
    show_reading_texts(texts);
}

void MainWindow::show_reading_texts(const JobParameterTexts& texts) {
    ui->dxfStandardCheck->setChecked(texts.dxf_standard);
    operator_->show_dxf_unit(texts.dxf_unit);
    ui->circleHolesCheck->setChecked(texts.circles_as_holes);
    ui->gerberStandardCheck->setChecked(texts.gerber_standard);
    ui->placementOriginCombo->setCurrentIndex(texts.origin == QLatin1String("corner") ? 1 : 0);
    ui->offsetXEdit->setText(texts.offset_x);
    ui->offsetYEdit->setText(texts.offset_y);
    ui->mirrorXCheck->setChecked(texts.mirror_x);
}

void MainWindow::save_job_parameters() {
    const QString path =
        desktop_.save_file_name(this, QStringLiteral("Save"), kJobFileFilter, QStringLiteral("ini"),
                                QFileInfo(QStringLiteral("cfg.ini")).absoluteFilePath());
    if (path.isEmpty()) {
        return;
    }
    parameters_folder_ = QFileInfo(path).absolutePath();
    const QString failure = write_job_parameters_file(path, job_parameter_texts());
    if (!failure.isEmpty()) {
        operator_->show_message(MessageKind::Error, failure);
    }
}

void MainWindow::load_job_parameters() {
    const QString path =
        desktop_.open_file_name(this, QStringLiteral("Load"), kJobFileFilter, parameters_folder_);
    if (path.isEmpty()) {
        return;
    }
    parameters_folder_ = QFileInfo(path).absolutePath();
    JobParameterTexts texts = job_parameter_texts();
    const QString failure = read_job_parameters_file(path, texts);
    if (!failure.isEmpty()) {
        operator_->show_message(MessageKind::Error, failure);
        return;
    }
    show_job_parameter_texts(texts);
}

void MainWindow::send_pin_test() {
    guarded([this] {
        QCheckBox* const bits[] = {ui->pinCheck1, ui->pinCheck2, ui->pinCheck3, ui->pinCheck4,
                                   ui->pinCheck5, ui->pinCheck6, ui->pinCheck7, ui->pinCheck8};
        int sum = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (bits[bit]->isChecked()) {
                sum |= 1 << bit;
            }
        }
        ui->pinTestValue->setText(QString::number(sum));
        if (controller_->machine.has_port()) {
            controller_->machine.port_connection().write_port(
                controller_->machine.selected_port_id(), REG_DATA, static_cast<std::uint8_t>(sum));
        }
    });
}

void MainWindow::apply_settings() {
    guarded([this] {
        const ParameterTexts texts = {ui->ratioXEdit->text(),       ui->ratioYEdit->text(),
                                      ui->ratioZEdit->text(),       ui->travelLimitXEdit->text(),
                                      ui->travelLimitYEdit->text(), ui->travelLimitZEdit->text(),
                                      ui->backlashXEdit->text(),    ui->backlashYEdit->text(),
                                      ui->backlashZEdit->text()};
        if (controller_->machine.apply_parameter_texts(texts)) {
            show_parameter_texts();
        }
    });
}

KeptChoices MainWindow::kept_choices() const {
    KeptChoices c;
    c.port = ui->portCombo->currentText();
    c.jog_speed = ui->jogSpeedSlider->value();
    c.jog_distance = ui->jogDistanceSlider->value();
    c.job_folder = job_folder_;
    c.parameters_folder = parameters_folder_;
    c.dxf_file = ui->dxfFileEdit->text();
    c.gerber_file = ui->gerberFileEdit->text();
    c.gcode_file = ui->gcodeFileEdit->text();
    c.reading = job_parameter_texts();
    c.main_window = saveGeometry();
    if (track_window_ != nullptr) {
        c.track_window = track_window_->saveGeometry();
    }
    if (file_view_window_ != nullptr) {
        c.file_view_window = file_view_window_->saveGeometry();
    }
    return c;
}

void MainWindow::restore_choices(QSettings& store) {
    const KeptChoices c = read_kept_choices(store);
    if (!c.port.isEmpty() && c.port != ui->portCombo->currentText()) {
        const int index = ui->portCombo->findText(c.port);
        if (index >= 0) {
            ui->portCombo->setCurrentIndex(index);
        } else {
            operator_->show_message(MessageKind::Plain,
                                    QStringLiteral("Порт %1, выбранный в прошлый раз, не найден; "
                                                   "выбран %2")
                                        .arg(c.port, ui->portCombo->currentText()));
        }
    }
    if (c.jog_speed > 0) {
        ui->jogSpeedSlider->setValue(c.jog_speed);
    }
    if (c.jog_distance > 0) {
        ui->jogDistanceSlider->setValue(c.jog_distance);
    }
    job_folder_ = c.job_folder;
    parameters_folder_ = c.parameters_folder;
    // Offered in the fields, not loaded: the apertures come when the file is chosen again.
    if (!c.dxf_file.isEmpty()) {
        ui->dxfFileEdit->setText(c.dxf_file);
    }
    if (!c.gerber_file.isEmpty()) {
        ui->gerberFileEdit->setText(c.gerber_file);
    }
    if (!c.gcode_file.isEmpty()) {
        ui->gcodeFileEdit->setText(c.gcode_file);
    }
    show_reading_texts(c.reading);
    if (!c.main_window.isEmpty()) {
        restoreGeometry(c.main_window);
    }
    if (track_window_ != nullptr && !c.track_window.isEmpty()) {
        track_window_->restoreGeometry(c.track_window);
    }
    if (file_view_window_ != nullptr && !c.file_view_window.isEmpty()) {
        file_view_window_->restoreGeometry(c.file_view_window);
    }
}

}  // namespace ostrel
