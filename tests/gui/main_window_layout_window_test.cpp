// The main window's controls: names, captions, ranges, visibility, and a layout a person can read.
#include "tests/gui/window_fixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace ostrel::testing {
namespace {

enum class Shown { Yes, Hidden };

struct Expected {
    const char* name;
    const char* page;  // object name of the tab page holding it, or the window's name
    const char* text;  // caption or initial text; nullptr: a picture, no text
    Shown shown = Shown::Yes;
};

// The caption a person reads on the control.
QString text_of(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->displayText();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return group->title();
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        return combo->currentText();
    }
    return {};
}

bool lies_on(QWidget* widget, const char* holder) {
    for (QWidget* w = widget->parentWidget(); w; w = w->parentWidget()) {
        if (w->objectName() == QLatin1String(holder)) {
            return true;
        }
    }
    return false;
}

// The style's own idea of where the title goes, so that a bold or wide title style counts too.
void expect_title_fits(QGroupBox* group) {
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxLabel, group);
    EXPECT_TRUE(group->rect().contains(title))
        << group->objectName().toStdString() << ": title cut off";
}

class LayoutTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        create();
    }

    void check(const std::vector<Expected>& table) {
        for (const Expected& e : table) {
            SCOPED_TRACE(e.name);
            QWidget* widget = control<QWidget>(e.name);
            if (!widget) {
                continue;
            }
            EXPECT_TRUE(lies_on(widget, e.page)) << "not on " << e.page;
            if (e.text) {
                EXPECT_EQ(text_of(widget), QString::fromUtf8(e.text));
            }
            EXPECT_EQ(widget->isHidden(), e.shown == Shown::Hidden);
        }
    }
};

TEST_F(LayoutTest, WindowTabsAndToolPositionBox) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Ostrel 7"));
    EXPECT_EQ(form->minimumSize(), QSize(408, 412));
    EXPECT_EQ(form->maximumSize(), QSize(408, 412));
    EXPECT_EQ(form->pos(), QPoint(196, 118));

    auto* tabs = control<QTabWidget>("PageControl1");
    ASSERT_NE(tabs, nullptr);
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) {
        captions << tabs->tabText(i);
    }
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Ручное "), QStringLiteral("По программе"),
                                     QStringLiteral("Настройка"), QStringLiteral("   ?")}));
    EXPECT_EQ(tabs->currentIndex(), 3);
    EXPECT_EQ(tabs->geometry(), QRect(0, 0, 408, 412));

    // The box belongs to the window, not to a page, so every tab shows it.
    EXPECT_EQ(control<QWidget>("GroupBox2")->parentWidget(), form.get());
    check({
        {"GroupBox2", "TForm1", "Полож. инструмента"},
        {"view_x", "GroupBox2", "0.0"},
        {"view_y", "GroupBox2", "0.0"},
        {"view_z", "GroupBox2", "0.0"},
        {"Button5", "GroupBox2", ">0<"},
        {"Button6", "GroupBox2", ">0<"},
        {"Button7", "GroupBox2", ">0<"},
    });
    for (const char* view : {"view_x", "view_y", "view_z"}) {
        EXPECT_TRUE(control<QLineEdit>(view)->isReadOnly()) << view;
    }
    // What changes at every step fills its own background: a repaint of it then need not
    // repaint the box behind it, which costs several times as much.
    for (const char* changing : {"view_x", "view_y", "view_z", "Gauge1"}) {
        EXPECT_TRUE(control<QWidget>(changing)->autoFillBackground()) << changing;
    }
}

TEST_F(LayoutTest, ManualTab) {
    check({
        {"Gauge1", "TabSheet1", nullptr},
        {"Label8", "TabSheet1", "Скорость"},
        {"TrackBar1", "TabSheet1", nullptr},
        {"Label46", "TabSheet1", "1"},  // set by the start-up for position 10
        {"Label9", "TabSheet1", "мм/с"},
        {"Label2", "TabSheet1", "Растояние"},
        {"TrackBar2", "TabSheet1", nullptr},
        {"Label5", "TabSheet1", "0.01"},
        {"Label10", "TabSheet1", "мм"},
        {"B_up", "TabSheet1", nullptr},
        {"B_down", "TabSheet1", nullptr},
        {"B_left", "TabSheet1", nullptr},
        {"B_right", "TabSheet1", nullptr},
        {"B_z_up", "TabSheet1", nullptr},
        {"B_z_down", "TabSheet1", nullptr},
        {"Label4", "TabSheet1", "Z"},
        {"GroupBox3", "TabSheet1", "Перейти в точку"},
        {"Edit9", "GroupBox3", "0,0"},
        {"Edit10", "GroupBox3", "0,0"},
        {"Edit11", "GroupBox3", "0,0"},
        {"BitBtn1", "GroupBox3", "OK"},
        {"GroupBox4", "TabSheet1", "Принять новые значения"},
        {"Edit12", "GroupBox4", "0,0"},
        {"Edit13", "GroupBox4", "0,0"},
        {"Edit14", "GroupBox4", "0,0"},
        {"Button8", "GroupBox4", "ОК"},
    });
    auto* gauge = control<QProgressBar>("Gauge1");
    EXPECT_EQ(std::tuple(gauge->minimum(), gauge->maximum(), gauge->value()),
              std::tuple(0, 100, 0));
    auto* speed = control<QSlider>("TrackBar1");
    EXPECT_EQ(std::tuple(speed->minimum(), speed->maximum(), speed->value()),
              std::tuple(1, 20, 10));
    auto* distance = control<QSlider>("TrackBar2");
    EXPECT_EQ(std::tuple(distance->minimum(), distance->maximum(), distance->value()),
              std::tuple(1, 12, 1));
    // The cross: up above down, left and right at the sides; Z up above Z down.
    const auto at = [this](const char* name) { return control<QWidget>(name)->geometry(); };
    for (const char* name : {"B_up", "B_down", "B_left", "B_right", "B_z_up", "B_z_down"}) {
        EXPECT_EQ(at(name).size(), QSize(33, 33)) << name;
        EXPECT_FALSE(control<QToolButton>(name)->icon().isNull()) << name;
    }
    EXPECT_LT(at("B_up").bottom(), at("B_down").top());
    EXPECT_LT(at("B_left").right(), at("B_up").left());
    EXPECT_GT(at("B_right").left(), at("B_up").right());
    EXPECT_EQ(at("B_z_up").left(), at("B_z_down").left());
    EXPECT_LT(at("B_z_up").bottom(), at("B_z_down").top());
}

TEST_F(LayoutTest, ProgramTab) {
    check({
        {"Label3", "TabSheet2", "Вид программы"},
        {"Programs", "TabSheet2", "< выбери  >"},
        {"Label54", "TabSheet2", "рабочая   ускоренная"},
        {"Label20", "TabSheet2", "режимы"},
        {"Label11", "TabSheet2", "скор. X-Y"},
        {"e_sped", "TabSheet2", "e_sped"},
        {"e_sped2", "TabSheet2", "e_sped2"},
        {"Label21", "TabSheet2", "мм/с"},
        {"Label15", "TabSheet2", "скорость Z"},
        {"e_sped_up", "TabSheet2", "e_sped_up"},
        {"e_sped_dow", "TabSheet2", "e_sped_dow"},
        {"Label25", "TabSheet2", "мм/с"},
        {"Label13", "TabSheet2", "Z холостое"},
        {"e_pero", "TabSheet2", "e_pero"},
        {"Label22", "TabSheet2", "мм"},
        {"Label17", "TabSheet2", "Глуб. паза", Shown::Hidden},
        {"e_glubs", "TabSheet2", "e_glubs", Shown::Hidden},
        {"Label26", "TabSheet2", "мм", Shown::Hidden},
        {"Label18", "TabSheet2", "сумарн       одинарн. ", Shown::Hidden},
        {"e_glubi", "TabSheet2", "e_glubi", Shown::Hidden},
        {"Button3", "TabSheet2", "Load"},
        {"Button2", "TabSheet2", "Save"},
        {"B_drill", "TabSheet2", "Сверлить", Shown::Hidden},
        {"B_risov", "TabSheet2", "Рисовать", Shown::Hidden},
        {"CB_vozvrat", "TabSheet2", "возврат в 0,0"},
        {"PageControl2", "TabSheet2", nullptr},
    });
    auto* programs = control<QComboBox>("Programs");
    ASSERT_NE(programs, nullptr);
    EXPECT_TRUE(programs->isEditable());
    EXPECT_EQ(programs->currentIndex(), -1);
    ASSERT_EQ(programs->count(), 3);
    EXPECT_EQ(programs->itemText(0), QStringLiteral("Рисование"));
    EXPECT_EQ(programs->itemText(1), QStringLiteral("сверление"));
    EXPECT_EQ(programs->itemText(2), QString());
    EXPECT_TRUE(control<QCheckBox>("CB_vozvrat")->isChecked());

    auto* inner = control<QTabWidget>("PageControl2");
    ASSERT_EQ(inner->count(), 2);
    EXPECT_EQ(inner->tabText(0), QStringLiteral("AutoCAD DXF"));
    EXPECT_EQ(inner->tabText(1), QStringLiteral("Gerber RS274-GBR"));
    EXPECT_EQ(inner->currentIndex(), 1);
}

TEST_F(LayoutTest, DxfAndGerberPages) {
    check({
        {"name_files", "TabSheet_dxf", "d:\\step\\dxf\\1.dxf"},
        {"change_name", "TabSheet_dxf", nullptr},
        {"GroupBox5", "TabSheet_dxf", "просмотр"},
        {"L_zoom", "GroupBox5", "маштаб"},
        {"SE_zoom", "GroupBox5", nullptr},
        {"C_autozoom", "GroupBox5", "Auto"},
        {"CB_holost", "GroupBox5", "холстые перем."},
        {"Call_V_render", "GroupBox5", "Просмотр"},
        {"Edit15", "TabSheet_gbr", "Файл"},
        {"BitBtn2", "TabSheet_gbr", nullptr},
        {"StringGrid1", "TabSheet_gbr", nullptr},
        {"Label16", "TabSheet_gbr", "Диаметр маркера, мм"},
        {"d_mark", "TabSheet_gbr", "0,5"},
        {"Button10", "TabSheet_gbr", "Проспотр"},
    });
    auto* zoom = control<QSpinBox>("SE_zoom");
    EXPECT_EQ(std::tuple(zoom->minimum(), zoom->maximum(), zoom->value()), std::tuple(0, 150, 1));
    EXPECT_FALSE(control<QCheckBox>("C_autozoom")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CB_holost")->isChecked());
    EXPECT_FALSE(control<QToolButton>("change_name")->icon().isNull());
    EXPECT_FALSE(control<QToolButton>("BitBtn2")->icon().isNull());

    auto* grid = control<QTableWidget>("StringGrid1");
    EXPECT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->rowCount(), 50);
    EXPECT_EQ((std::vector<int>{grid->columnWidth(0), grid->columnWidth(1), grid->columnWidth(2),
                                grid->columnWidth(3)}),
              (std::vector<int>{54, 41, 39, 48}));
    EXPECT_EQ(grid->rowHeight(1), 15);

    // The comma is the mask's, not the value's: the core reads the two digits.
    EXPECT_EQ(control<QLineEdit>("d_mark")->displayText(), QStringLiteral("0,5"));
    EXPECT_EQ(form->window_operator().field_text(Field::d_mark), QStringLiteral("05"));
}

TEST_F(LayoutTest, SettingsTab) {
    check({
        {"Label1", "TabSheet3", "Установленные  порты"},
        {"ComboBox1", "TabSheet3", "$3BC"},
        {"Label41", "TabSheet3",
         "X                                Y                              Z"},
        {"Label28", "TabSheet3", "Передаточное отношение мм/шаг"},
        {"Edit1", "TabSheet3", "0,0025"},
        {"Edit2", "TabSheet3", "0,0025"},
        {"Edit3", "TabSheet3", "0,0025"},
        {"Label45", "TabSheet3", "Пределы перемещений по осям в мм"},
        {"Edit6", "TabSheet3", "100"},
        {"Edit7", "TabSheet3", "100"},
        {"Edit8", "TabSheet3", "100"},
        {"Label14", "TabSheet3", "Коррекция люфтов, мм"},
        {"ly_x", "TabSheet3", "0"},
        {"ly_y", "TabSheet3", "0"},
        {"ly_z", "TabSheet3", "0"},
        {"Button9", "TabSheet3", "Применить"},
        {"GroupBox1", "TabSheet3", "Проверка порта LPT"},
        {"Label35", "GroupBox1", "0"},
        {"Button4", "GroupBox1", "передать в lpt"},
        {"Bevel1", "TabSheet3", nullptr},
        {"Bevel2", "TabSheet3", nullptr},
        {"Bevel3", "TabSheet3", nullptr},
        {"Bevel4", "TabSheet3", nullptr},
    });
    EXPECT_EQ(control<QWidget>("ComboBox1")->toolTip(),
              QStringLiteral("Адрес текущего базового порта LPT"));
    EXPECT_TRUE(control<QComboBox>("ComboBox1")->isEditable());
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit6", "Edit7", "Edit8", "ly_x"}) {
        EXPECT_FALSE(control<QLineEdit>(name)->isReadOnly()) << name;
    }
    // Eight boxes left to right, each under its number.
    int previous_x = -1;
    for (int i = 1; i <= 8; ++i) {
        SCOPED_TRACE(i);
        auto* box = control<QCheckBox>(qPrintable(QStringLiteral("CheckBox%1").arg(i)));
        auto* number = control<QLabel>(qPrintable(QStringLiteral("Label_bit%1").arg(i)));
        ASSERT_TRUE(box && number);
        EXPECT_FALSE(box->isChecked());
        EXPECT_EQ(number->text(), QString::number(i));
        EXPECT_GT(box->x(), previous_x);
        previous_x = box->x();
        EXPECT_LT(number->geometry().bottom(), box->geometry().top());
        EXPECT_LE(number->geometry().left(), box->geometry().center().x());
        EXPECT_GE(number->geometry().right(), box->geometry().center().x());
    }
}

// The header's letters X, Y, Z each stand over their column of edits.
TEST_F(LayoutTest, SettingsHeaderLettersStandOverTheirColumns) {
    auto* header = control<QLabel>("Label41");
    ASSERT_NE(header, nullptr);
    const QString text = header->text();
    const QFontMetrics metrics = header->fontMetrics();
    const char* columns[][3] = {
        {"Edit1", "Edit6", "ly_x"}, {"Edit2", "Edit7", "ly_y"}, {"Edit3", "Edit8", "ly_z"}};
    int column = 0;
    for (QChar letter : {u'X', u'Y', u'Z'}) {
        SCOPED_TRACE(QString(letter).toStdString());
        const qsizetype at = text.indexOf(letter);
        const int center = header->x() + header->contentsRect().left() +
                           metrics.horizontalAdvance(text.left(at)) +
                           metrics.horizontalAdvance(letter) / 2;
        for (const char* name : columns[column]) {
            const QRect edit = control<QWidget>(name)->geometry();
            EXPECT_GE(center, edit.left() + edit.width() / 4) << name;
            EXPECT_LE(center, edit.right() - edit.width() / 4) << name;
        }
        ++column;
    }
}

TEST_F(LayoutTest, AboutTabAndSplash) {
    check({
        {"Image2", "TabSheet4", nullptr},
        {"Panel1", "TForm1", nullptr},
        {"Image1", "Panel1", nullptr},
        {"ProgressBar1", "Panel1", nullptr},
    });
    for (const char* picture : {"Image1", "Image2"}) {
        auto* label = control<QLabel>(picture);
        EXPECT_FALSE(label->pixmap().isNull()) << picture;
        EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor) << picture;
    }
    auto* panel = control<QWidget>("Panel1");
    EXPECT_EQ(panel->geometry(), form->rect());
    EXPECT_EQ(form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).last(), panel)
        << "the splash lies above everything";
    auto* bar = control<QProgressBar>("ProgressBar1");
    EXPECT_EQ(std::tuple(bar->minimum(), bar->maximum(), bar->value()), std::tuple(0, 100, 100));
    EXPECT_EQ(bar->geometry().bottom(), panel->rect().bottom());

    auto* timer1 = form->findChild<QTimer*>(QStringLiteral("Timer1"));
    auto* timer4 = form->findChild<QTimer*>(QStringLiteral("Timer4"));
    ASSERT_TRUE(timer1 && timer4);
    EXPECT_EQ(timer1->interval(), 7000);
    EXPECT_EQ(timer4->interval(), 400);
    EXPECT_TRUE(timer1->isActive());
    EXPECT_TRUE(timer4->isActive());
}

// What a person sees: on every tab no two shown controls overlap, none sticks out of its holder
// or hides under the tool-position box, and every caption fits its control.
TEST_F(LayoutTest, EveryCaptionReadableAndNothingOverlaps) {
    form->Timer1Timer();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto* tabs = control<QTabWidget>("PageControl1");
    auto* inner = control<QTabWidget>("PageControl2");
    auto* box = control<QWidget>("GroupBox2");
    const QRect box_rect = box->geometry();

    const auto check_holder = [&](QWidget* holder, auto&& self) -> void {
        std::vector<QWidget*> shown;
        for (QWidget* child : holder->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && !child->objectName().startsWith(QLatin1String("qt_"))) {
                shown.push_back(child);
            }
        }
        for (std::size_t i = 0; i < shown.size(); ++i) {
            QWidget* w = shown[i];
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_TRUE(holder->rect().contains(w->geometry())) << "sticks out of its holder";
            for (std::size_t j = i + 1; j < shown.size(); ++j) {
                EXPECT_FALSE(w->geometry().intersects(shown[j]->geometry()))
                    << "overlaps " << shown[j]->objectName().toStdString();
            }
            if (tabs->indexOf(holder) >= 0) {
                const QRect in_window(w->mapTo(form.get(), QPoint(0, 0)), w->size());
                EXPECT_FALSE(in_window.intersects(box_rect)) << "under the position box";
            }
            const QString text = text_of(w);
            if (auto* label = qobject_cast<QLabel*>(w); label && !text.isEmpty()) {
                if (label->wordWrap()) {
                    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
                        EXPECT_LE(label->fontMetrics().horizontalAdvance(word), label->width())
                            << "word cut off";
                    }
                    EXPECT_LE(label->heightForWidth(label->width()), label->height())
                        << "lines cut off";
                } else {
                    EXPECT_LE(label->sizeHint().width(), label->width()) << "caption cut off";
                    EXPECT_LE(label->fontMetrics().height(), label->height()) << "caption cut off";
                }
            }
            if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                // Frame and the edit's own margins take about 8 pixels.
                EXPECT_LE(edit->fontMetrics().horizontalAdvance(edit->displayText()) + 8,
                          edit->width())
                    << "text cut off";
            }
            if (auto* button = qobject_cast<QAbstractButton*>(w); button && !text.isEmpty()) {
                const int needed = qobject_cast<QCheckBox*>(w)
                                       ? button->sizeHint().width()
                                       : button->fontMetrics().horizontalAdvance(text) + 8;
                EXPECT_LE(needed, button->width()) << "caption cut off";
            }
            if (auto* group = qobject_cast<QGroupBox*>(w)) {
                expect_title_fits(group);
            }
            if (qobject_cast<QGroupBox*>(w) || w->objectName() == QLatin1String("GroupBox2")) {
                self(w, self);
            }
        }
    };

    for (int t = 0; t < tabs->count(); ++t) {
        tabs->setCurrentIndex(t);
        QWidget* page = tabs->widget(t);
        SCOPED_TRACE(page->objectName().toStdString());
        check_holder(page, check_holder);
        if (page->isAncestorOf(inner)) {
            for (int p = 0; p < inner->count(); ++p) {
                inner->setCurrentIndex(p);
                check_holder(inner->widget(p), check_holder);
            }
        }
    }
    check_holder(box, check_holder);
    expect_title_fits(qobject_cast<QGroupBox*>(box));

    // Both job buttons share a place, so show each job kind's controls too.
    tabs->setCurrentIndex(1);
    for (int kind : {0, 1}) {
        control<QComboBox>("Programs")->setCurrentIndex(kind);
        SCOPED_TRACE(kind);
        check_holder(tabs->widget(1), check_holder);
    }
}

}  // namespace
}  // namespace ostrel::testing
