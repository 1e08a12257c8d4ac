// TForm1: start-up, the job-kind switch, the splash, the settings and pin-test handlers.
#include "gui/main_window.h"

#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "gui/file_view_window.h"
#include "gui/screen/picture_view.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"
#include "gui/window_operator.h"
#include "jobs/job_file_choice.h"
#include "jobs/job_parameters_file.h"
#include "ui_main_window.h"

#include <QAbstractSpinBox>
#include <QApplication>
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
class Form2View final : public GerberFileView {
public:
    explicit Form2View(TForm2& form) : form_(form) {}
    void show() override {
        form_.show();
        form_.raise();
        form_.activateWindow();
    }
    Picture& picture() override { return form_.picture(); }
    QSize outer_size() const override { return form_.outer_size(); }

private:
    TForm2& form_;
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

TForm1::TForm1(Desktop& desktop, PortBackendFactory open_backend, Clock& clock, QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::TForm1>()),
      desktop_(desktop),
      open_backend_(std::move(open_backend)),
      track_picture_(QSize(TrackView::kWidth, TrackView::kHeight)) {
    ui->setupUi(this);
    setFixedSize(408, 412);
    move(196, 118);
    setWindowTitle(application_title());

    // The job kind starts unchosen: the box shows its prompt and no item.
    ui->Programs->setCurrentIndex(-1);
    ui->Programs->setEditText(QStringLiteral("< выбери  >"));
    ui->ComboBox1->setEditText(QStringLiteral("<...>"));
    QPalette info = ui->ComboBox1->palette();
    info.setColor(QPalette::Base, info.color(QPalette::ToolTipBase));
    info.setColor(QPalette::Text, info.color(QPalette::ToolTipText));
    ui->ComboBox1->setPalette(info);

    ui->d_mark->setInputMask(QStringLiteral("9,9;_"));
    ui->d_mark->setText(QStringLiteral("05"));

    ui->StringGrid1->horizontalHeader()->hide();
    ui->StringGrid1->verticalHeader()->hide();
    ui->StringGrid1->verticalHeader()->setMinimumSectionSize(15);
    ui->StringGrid1->verticalHeader()->setDefaultSectionSize(15);
    const int widths[] = {54, 41, 39, 48};
    for (int column = 0; column < 4; ++column) {
        ui->StringGrid1->setColumnWidth(column, widths[column]);
        // Row 0 is the grid's fixed header row: shaded, never edited.
        auto* header = new QTableWidgetItem;
        header->setFlags(Qt::NoItemFlags);
        header->setBackground(palette().button());
        ui->StringGrid1->setItem(0, column, header);
    }

    set_pictures();
    ui->Panel1->raise();
    // Nothing under the splash is reachable, not even with the Tab key.
    ui->PageControl1->setEnabled(false);
    ui->GroupBox2->setEnabled(false);
    ui->Image1->installEventFilter(this);
    ui->Image2->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kSplashMs);
    Timer4 = new QTimer(this);
    Timer4->setObjectName(QStringLiteral("Timer4"));
    Timer4->setInterval(kSplashStepMs);

    operator_ = std::make_unique<WindowOperator>(*ui, *this, desktop_);
    controller_ = std::make_unique<Controller>(*operator_, *operator_, track_picture_, clock);

    connect_handlers();
    FormCreate();
    Timer1->start();
    Timer4->start();
}

TForm1::~TForm1() = default;

void TForm1::attach_windows(TF_stop& f_stop, TForm2& form2, TForm3& form3) {
    f_stop_ = &f_stop;
    form2_ = &form2;
    form3_ = &form3;
    operator_->set_track_window(&form3);
    form3.picture_view().draw_in_waits_of(operator_->wait_painter());
    operator_->set_stop_dialog(&f_stop);
    file_view_ = std::make_unique<Form2View>(form2);
    controller_->gerber.set_file_view(file_view_.get());
    // Key preview: the main window hears keys before its controls, and during moves from the
    // other windows too.
    qApp->installEventFilter(this);
}

void TForm1::set_pictures() {
    init_picture_resources();
    ui->Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/splash.jpg")));
    ui->Image2->setPixmap(QPixmap(QStringLiteral(":/pictures/about.jpg")));

    const QColor xy(40, 90, 200);
    const QColor z(200, 70, 40);
    ui->B_up->setIcon(arrow_icon(0, xy));
    ui->B_right->setIcon(arrow_icon(90, xy));
    ui->B_down->setIcon(arrow_icon(180, xy));
    ui->B_left->setIcon(arrow_icon(270, xy));
    ui->B_z_up->setIcon(arrow_icon(0, z));
    ui->B_z_down->setIcon(arrow_icon(180, z));
    ui->change_name->setIcon(folder_icon());
    ui->BitBtn2->setIcon(folder_icon());
}

void TForm1::connect_handlers() {
    connect(ui->Programs, &QComboBox::currentIndexChanged, this, &TForm1::ProgramsChange);
    connect(ui->Programs, &QComboBox::editTextChanged, this, &TForm1::ProgramsChange);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer4, &QTimer::timeout, this, &TForm1::Timer4Timer);

    connect(ui->Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(ui->Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(ui->Button7, &QPushButton::clicked, this, &TForm1::Button7Click);

    connect(ui->TrackBar1, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);
    connect(ui->TrackBar2, &QSlider::valueChanged, this, &TForm1::TrackBar2Change);
    connect(ui->B_up, &QToolButton::clicked, this, &TForm1::B_upClick);
    connect(ui->B_down, &QToolButton::clicked, this, &TForm1::B_downClick);
    connect(ui->B_left, &QToolButton::clicked, this, &TForm1::B_leftClick);
    connect(ui->B_right, &QToolButton::clicked, this, &TForm1::B_rightClick);
    connect(ui->B_z_up, &QToolButton::clicked, this, &TForm1::B_z_upClick);
    connect(ui->B_z_down, &QToolButton::clicked, this, &TForm1::B_z_downClick);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(ui->Button8, &QPushButton::clicked, this, &TForm1::Button8Click);

    connect(ui->B_risov, &QPushButton::clicked, this, &TForm1::B_risovClick);
    connect(ui->B_drill, &QPushButton::clicked, this, &TForm1::B_drillClick);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(ui->change_name, &QToolButton::clicked, this, &TForm1::change_nameClick);
    connect(ui->BitBtn2, &QToolButton::clicked, this, &TForm1::change_nameClick);
    connect(ui->Call_V_render, &QPushButton::clicked, this, &TForm1::Call_V_renderClick);
    connect(ui->SE_zoom, &QSpinBox::valueChanged, this, &TForm1::SE_zoomChange);
    // A change of state by any means counts as a click.
    connect(ui->C_autozoom, &QCheckBox::toggled, this, &TForm1::C_autozoomClick);
    connect(ui->CB_holost, &QCheckBox::toggled, this, &TForm1::CB_holostClick);
    connect(ui->Button10, &QPushButton::clicked, this, &TForm1::Button10Click);

    connect(ui->Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    connect(ui->Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
}

template <typename Body>
void TForm1::guarded(Body&& body) {
    try {
        body();
    } catch (const OperationAbandoned& abandoned) {
        operator_->show_message(MessageKind::Error, abandoned.message());
    }
}

void TForm1::FormCreate() {
    guarded([this] {
        controller_->machine.open_port(open_backend_());
        TLptPortConnection& port = controller_->machine.port_connection();
        if (!port.is_ready()) {
            desktop_.message_box(
                this, QStringLiteral("ERROR"),
                QStringLiteral("Ошибка при создании объекта Lpt,  драйвер ERROR,  код = ") +
                    QString::number(port.error_code()),
                QMessageBox::Critical);
            // The start-up still runs to its end; the program stops once its loop starts.
            desktop_.end_program(1);
        }

        // The ports are probed again here, not taken from the connection's first probe.
        const QStringList ports = controller_->machine.probe_port_list();
        ui->ComboBox1->clear();
        ui->ComboBox1->setEditText(QString());
        ui->ComboBox1->addItems(ports);
        if (!ports.isEmpty()) {
            ui->ComboBox1->setCurrentIndex(0);
        }

        controller_->machine.load_settings();
        show_parameter_texts();
        ui->Label46->setText(show_fixed4(Machine::jog_speed(ui->TrackBar1->value())));

        MachineState& state = controller_->machine.state();
        state.pos_x = 0;
        state.pos_y = 0;
        state.pos_z = 0;
    });
}

void TForm1::show_parameter_texts() {
    const ParameterTexts texts = controller_->machine.parameter_texts();
    QLineEdit* const edits[] = {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit6, ui->Edit7,
                                ui->Edit8, ui->ly_x,  ui->ly_y,  ui->ly_z};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        edits[i]->setText(texts[i]);
    }
}

void TForm1::ProgramsChange() {
    // Text typed into the box selects no item, even while the list still marks one.
    int index = ui->Programs->currentIndex();
    if (index >= 0 && ui->Programs->itemText(index) != ui->Programs->currentText()) {
        index = -1;
    }
    if (index != 0 && index != 1) {
        return;
    }
    const bool drilling = index == 1;
    ui->B_risov->setVisible(!drilling);
    ui->B_drill->setVisible(drilling);
    ui->Label17->setVisible(drilling);
    ui->e_glubs->setVisible(drilling);
    ui->Label26->setVisible(drilling);
    ui->Label18->setVisible(false);
    ui->e_glubi->setVisible(false);
    if (drilling) {
        ui->Label17->setText(QStringLiteral("глубина отверстия"));
        ui->e_glubs->setText(QStringLiteral("2"));
    }
    ui->e_sped->setText(QStringLiteral("2,5"));
    ui->e_sped2->setText(QStringLiteral("2,5"));
    ui->e_pero->setText(QStringLiteral("0,5"));
    ui->e_sped_up->setText(QStringLiteral("1,5"));
    ui->e_sped_dow->setText(drilling ? QStringLiteral("0,2") : QStringLiteral("1,5"));
}

void TForm1::Timer1Timer() {
    ui->Panel1->hide();
    ui->PageControl1->setEnabled(true);
    ui->GroupBox2->setEnabled(true);
}

void TForm1::Timer4Timer() {
    ui->ProgressBar1->setValue(
        std::max(ui->ProgressBar1->minimum(), ui->ProgressBar1->value() - 5));
}

void TForm1::Image1Click() {
    desktop_.open_url(doc_file(QStringLiteral("guide.html"), QStringLiteral("docs/guide.html")));
}

void TForm1::Image2Click() {
    desktop_.open_url(doc_file(QStringLiteral("README.md"), QStringLiteral("README.md")));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        return key_preview(watched, static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui->Image1) {
            Image1Click();
            return true;
        }
        if (watched == ui->Image2) {
            Image2Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::show_zero(Axis axis) {
    guarded([this, axis] {
        controller_->machine.zero_axis(axis);
        operator_->flush_position();
    });
}

void TForm1::Button5Click() {
    show_zero(AXIS_X);
}
void TForm1::Button6Click() {
    show_zero(AXIS_Y);
}
void TForm1::Button7Click() {
    show_zero(AXIS_Z);
}

void TForm1::TrackBar1Change() {
    ui->Label46->setText(show_fixed4(Machine::jog_speed(ui->TrackBar1->value())));
}

void TForm1::TrackBar2Change() {
    ui->Label5->setText(show_fixed4(Machine::jog_distance_mm(ui->TrackBar2->value())));
}

bool TForm1::key_preview(QObject* watched, QKeyEvent* key) {
    // A key press travels up from the focus widget; take it once, where it starts.
    auto* widget = qobject_cast<QWidget*>(watched);
    const QWidget* focus = QApplication::focusWidget();
    if (widget == nullptr || (focus != nullptr ? widget != focus : !widget->isWindow())) {
        return false;
    }
    if (widget == ui->CB_holost) {
        CB_holostKeyDown();  // every key on the box draws the preview, and goes on to the box
    }
    const QWidget* window = widget->window();
    const bool ours = window == this || window == form2_ || window == form3_;
    if (!ours) {
        return false;
    }
    if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Pause) {
        if (!controller_->machine.busy()) {
            return false;
        }
        if (!key->isAutoRepeat()) {
            controller_->manual.pause_requested();
        }
        return true;
    }
    const bool jog_key = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right ||
                         key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
                         key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown;
    if (!jog_key || window != this || ui->PageControl1->currentWidget() != ui->TabSheet1 ||
        ui->Panel1->isVisible() || takes_arrow_keys(widget)) {
        return false;
    }
    // One press, one jog: the keyboard's auto-repeat must not queue jogs that run on after the
    // key is let go.
    if (!key->isAutoRepeat()) {
        guarded([this, key] { controller_->manual.key_jog(static_cast<Qt::Key>(key->key())); });
    }
    return true;
}

void TForm1::B_upClick() {
    guarded([this] { controller_->manual.B_upClick(); });
}
void TForm1::B_downClick() {
    guarded([this] { controller_->manual.B_downClick(); });
}
void TForm1::B_leftClick() {
    guarded([this] { controller_->manual.B_leftClick(); });
}
void TForm1::B_rightClick() {
    guarded([this] { controller_->manual.B_rightClick(); });
}
void TForm1::B_z_upClick() {
    guarded([this] { controller_->manual.B_z_upClick(); });
}
void TForm1::B_z_downClick() {
    guarded([this] { controller_->manual.B_z_downClick(); });
}
void TForm1::BitBtn1Click() {
    guarded([this] { controller_->manual.BitBtn1Click(); });
}

void TForm1::Button8Click() {
    guarded([this] {
        controller_->machine.Button8Click();
        operator_->flush_position();
    });
}

void TForm1::B_risovClick() {
    guarded([this] { controller_->jobs.B_risovClick(); });
}
void TForm1::B_drillClick() {
    guarded([this] { controller_->jobs.B_drillClick(); });
}

void TForm1::change_nameClick() {
    const JobFileChoice choice = job_file_choice(operator_->file_page());
    const QString path = desktop_.open_file_name(
        this, QString(), name_filters_of(choice.filter).join(QStringLiteral(";;")));
    if (!path.isEmpty()) {
        choose_job_file(path);
    }
}

void TForm1::choose_job_file(const QString& path) {
    const JobFileChoice choice = job_file_choice(operator_->file_page());
    QLineEdit* field = choice.field == Field::name_files ? ui->name_files : ui->Edit15;
    field->setText(path);
    if (choice.loads_apertures) {
        guarded([this] { controller_->gerber.get_app(); });
        show_aperture_grid();
    }
}

void TForm1::show_aperture_grid() {
    const ApertureGrid& grid = controller_->gerber.grid();
    for (int row = 1; row < ApertureGrid::kRows && row < ui->StringGrid1->rowCount(); ++row) {
        for (int column = 0; column < ApertureGrid::kColumns; ++column) {
            QTableWidgetItem* item = ui->StringGrid1->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                ui->StringGrid1->setItem(row, column, item);
            }
            item->setText(grid.cell(row, column));
        }
    }
}

void TForm1::render_preview() {
    if (form2_ == nullptr) {
        return;
    }
    guarded([this] {
        controller_->dxf_preview.render_dxf_preview(
            form2_->picture(), form2_->outer_size().height(), [this] { file_view_->show(); });
    });
}

void TForm1::Call_V_renderClick() {
    render_preview();
}
void TForm1::SE_zoomChange() {
    render_preview();
}
void TForm1::C_autozoomClick() {
    render_preview();
    ui->SE_zoom->setVisible(ui->SE_zoom->isHidden());
}
void TForm1::CB_holostClick() {
    render_preview();
}
void TForm1::CB_holostKeyDown() {
    render_preview();
}

void TForm1::Button10Click() {
    guarded([this] {
        if (file_view_ != nullptr) {
            controller_->gerber.Button10Click(*file_view_);
        }
    });
}

JobParameterTexts TForm1::job_parameter_texts() const {
    JobParameterTexts texts;
    texts.speed_xy = ui->e_sped->text();
    texts.speed_xy_rapid = ui->e_sped2->text();
    texts.z_travel = ui->e_pero->text();
    texts.speed_z_up = ui->e_sped_up->text();
    texts.speed_z_down = ui->e_sped_dow->text();
    texts.drill_depth = ui->e_glubs->text();
    texts.marker_diameter = operator_->field_text(Field::d_mark);
    texts.return_to_origin = ui->CB_vozvrat->isChecked();
    return texts;
}

void TForm1::show_job_parameter_texts(const JobParameterTexts& texts) {
    ui->e_sped->setText(texts.speed_xy);
    ui->e_sped2->setText(texts.speed_xy_rapid);
    ui->e_pero->setText(texts.z_travel);
    ui->e_sped_up->setText(texts.speed_z_up);
    ui->e_sped_dow->setText(texts.speed_z_down);
    ui->e_glubs->setText(texts.drill_depth);
    ui->d_mark->setText(texts.marker_diameter);
    ui->CB_vozvrat->setChecked(texts.return_to_origin);
}

void TForm1::Button2Click() {
    const QString path = desktop_.save_file_name(this, QStringLiteral("Save"), kJobFileFilter);
    if (path.isEmpty()) {
        return;
    }
    const QString failure = write_job_parameters_file(path, job_parameter_texts());
    if (!failure.isEmpty()) {
        operator_->show_message(MessageKind::Error, failure);
    }
}

void TForm1::Button3Click() {
    const QString path = desktop_.open_file_name(this, QStringLiteral("Load"), kJobFileFilter);
    if (path.isEmpty()) {
        return;
    }
    JobParameterTexts texts = job_parameter_texts();
    const QString failure = read_job_parameters_file(path, texts);
    if (!failure.isEmpty()) {
        operator_->show_message(MessageKind::Error, failure);
        return;
    }
    show_job_parameter_texts(texts);
}

void TForm1::Button4Click() {
    guarded([this] {
        QCheckBox* const bits[] = {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3, ui->CheckBox4,
                                   ui->CheckBox5, ui->CheckBox6, ui->CheckBox7, ui->CheckBox8};
        int sum = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (bits[bit]->isChecked()) {
                sum |= 1 << bit;
            }
        }
        ui->Label35->setText(QString::number(sum));
        if (controller_->machine.has_port()) {
            controller_->machine.port_connection().write_port(
                controller_->machine.get_port(), REG_DATA, static_cast<std::uint8_t>(sum));
        }
    });
}

void TForm1::Button9Click() {
    guarded([this] {
        const ParameterTexts texts = {ui->Edit1->text(), ui->Edit2->text(), ui->Edit3->text(),
                                      ui->Edit6->text(), ui->Edit7->text(), ui->Edit8->text(),
                                      ui->ly_x->text(),  ui->ly_y->text(),  ui->ly_z->text()};
        if (controller_->machine.apply_parameter_texts(texts)) {
            show_parameter_texts();
        }
    });
}

}  // namespace ostrel
