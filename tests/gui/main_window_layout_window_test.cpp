// The main window's controls: names, captions, ranges, visibility, and a layout a person can read.
#include "tests/gui/window_fixture.h"

#include <QAbstractButton>
#include <QAbstractSlider>
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
#include <optional>
#include <tuple>

namespace ostrel::testing {
namespace {

enum class Shown { Yes, Hidden };

using Range = std::tuple<int, int, int>;  // minimum, maximum, value

// What only some kinds of control have; each is checked only where it is given.
struct Facts {
    std::optional<Range> range = std::nullopt;  // progress bars, sliders, spin boxes
    std::optional<bool> read_only = std::nullopt;
    std::optional<bool> checked = std::nullopt;
    std::optional<bool> editable = std::nullopt;  // combo boxes
    const char* tool_tip = nullptr;
    QSize size = {};                 // where the layout fixes it
    bool icon = false;               // a button showing a picture
    bool clickable_picture = false;  // a label showing a picture under the pointing hand
    // What changes at every step fills its own background: a repaint of it then need not
    // repaint the box behind it, which costs several times as much.
    bool fills_background = false;
};

struct Expected {
    const char* name;
    const char* holder;  // object name of the tab page or box holding it, or the window's name
    const char* text;    // caption or initial text; nullptr: a picture, no text
    Shown shown = Shown::Yes;
    Facts facts = {};
};

// Facts shared by several rows, or too long for one.
const Facts kDisplay{.read_only = true, .fills_background = true};  // the tool's position
const Facts kGauge{.range = Range{0, 100, 0}, .fills_background = true};
const Facts kJogButton{.size = {33, 33}, .icon = true};
const Facts kPortCombo{.editable = true, .tool_tip = "Адрес текущего базового порта LPT"};

const Expected kControls[] = {
    // The tool-position box, on every tab.
    {"positionBox", "MainWindow", "Полож. инструмента"},
    {"positionXDisplay", "positionBox", "0.0", Shown::Yes, kDisplay},
    {"positionYDisplay", "positionBox", "0.0", Shown::Yes, kDisplay},
    {"positionZDisplay", "positionBox", "0.0", Shown::Yes, kDisplay},
    {"zeroXButton", "positionBox", ">0<"},
    {"zeroYButton", "positionBox", ">0<"},
    {"zeroZButton", "positionBox", ">0<"},
    // Manual control.
    {"progressGauge", "manualTab", nullptr, Shown::Yes, kGauge},
    {"jogSpeedLabel", "manualTab", "Скорость"},
    {"jogSpeedSlider", "manualTab", nullptr, Shown::Yes, {.range = Range{1, 20, 10}}},
    {"jogSpeedValue", "manualTab", "1"},  // set by the start-up for position 10
    {"jogSpeedUnit", "manualTab", "мм/с"},
    {"jogDistanceLabel", "manualTab", "Растояние"},
    {"jogDistanceSlider", "manualTab", nullptr, Shown::Yes, {.range = Range{1, 12, 1}}},
    {"jogDistanceValue", "manualTab", "0.01"},
    {"jogDistanceUnit", "manualTab", "мм"},
    {"jogYPlusButton", "manualTab", nullptr, Shown::Yes, kJogButton},
    {"jogYMinusButton", "manualTab", nullptr, Shown::Yes, kJogButton},
    {"jogXMinusButton", "manualTab", nullptr, Shown::Yes, kJogButton},
    {"jogXPlusButton", "manualTab", nullptr, Shown::Yes, kJogButton},
    {"jogZUpButton", "manualTab", nullptr, Shown::Yes, kJogButton},
    {"jogZDownButton", "manualTab", nullptr, Shown::Yes, kJogButton},
    {"jogZLabel", "manualTab", "Z"},
    {"goToPointBox", "manualTab", "Перейти в точку"},
    {"goToXEdit", "goToPointBox", "0,0"},
    {"goToYEdit", "goToPointBox", "0,0"},
    {"goToZEdit", "goToPointBox", "0,0"},
    {"goToPointButton", "goToPointBox", "OK"},
    {"newPositionBox", "manualTab", "Принять новые значения"},
    {"newPositionXEdit", "newPositionBox", "0,0"},
    {"newPositionYEdit", "newPositionBox", "0,0"},
    {"newPositionZEdit", "newPositionBox", "0,0"},
    {"acceptNewPositionButton", "newPositionBox", "ОК"},
    // Jobs from files.
    {"jobKindLabel", "programTab", "Вид программы"},
    {"jobKindCombo", "programTab", "< выбери  >", Shown::Yes, {.editable = true}},
    {"speedColumnsLabel", "programTab", "рабочая   ускоренная"},
    {"modesLabel", "programTab", "режимы"},
    {"speedXyLabel", "programTab", "скор. X-Y"},
    {"speedXyEdit", "programTab", "e_sped"},
    {"speedXyRapidEdit", "programTab", "e_sped2"},
    {"speedXyUnit", "programTab", "мм/с"},
    {"speedZLabel", "programTab", "скорость Z"},
    {"speedZUpEdit", "programTab", "e_sped_up"},
    {"speedZDownEdit", "programTab", "e_sped_dow"},
    {"speedZUnit", "programTab", "мм/с"},
    {"zTravelLabel", "programTab", "Z холостое"},
    {"zTravelEdit", "programTab", "e_pero"},
    {"zTravelUnit", "programTab", "мм"},
    {"drillDepthLabel", "programTab", "Глуб. паза", Shown::Hidden},
    {"drillDepthEdit", "programTab", "e_glubs", Shown::Hidden},
    {"drillDepthUnit", "programTab", "мм", Shown::Hidden},
    {"passDepthLabel", "programTab", "сумарн       одинарн. ", Shown::Hidden},
    {"passDepthEdit", "programTab", "e_glubi", Shown::Hidden},
    {"loadParametersButton", "programTab", "Load"},
    {"saveParametersButton", "programTab", "Save"},
    {"drillButton", "programTab", "Сверлить", Shown::Hidden},
    {"drawButton", "programTab", "Рисовать", Shown::Hidden},
    {"returnToOriginCheck", "programTab", "возврат в 0,0", Shown::Yes, {.checked = true}},
    {"filePages", "programTab", nullptr},
    // The DXF and Gerber pages.
    {"dxfFileEdit", "dxfPage", "d:\\step\\dxf\\1.dxf"},
    {"chooseDxfFileButton", "dxfPage", nullptr, Shown::Yes, {.icon = true}},
    {"dxfPreviewBox", "dxfPage", "просмотр"},
    {"zoomLabel", "dxfPreviewBox", "маштаб"},
    {"zoomSpin", "dxfPreviewBox", nullptr, Shown::Yes, {.range = Range{0, 150, 1}}},
    {"autoZoomCheck", "dxfPreviewBox", "Auto", Shown::Yes, {.checked = false}},
    {"idleMovesCheck", "dxfPreviewBox", "холстые перем.", Shown::Yes, {.checked = false}},
    {"dxfPreviewButton", "dxfPreviewBox", "Просмотр"},
    {"gerberFileEdit", "gerberPage", "Файл"},
    {"chooseGerberFileButton", "gerberPage", nullptr, Shown::Yes, {.icon = true}},
    {"apertureGrid", "gerberPage", nullptr},
    {"markerDiameterLabel", "gerberPage", "Диаметр маркера, мм"},
    {"markerDiameterEdit", "gerberPage", "0,5"},  // shown through the mask
    {"gerberPreviewButton", "gerberPage", "Проспотр"},
    // Settings.
    {"portLabel", "settingsTab", "Установленные  порты"},
    {"portCombo", "settingsTab", "$3BC", Shown::Yes, kPortCombo},
    {"axisHeadingsLabel", "settingsTab",
     "X                                Y                              Z"},
    {"ratioLabel", "settingsTab", "Передаточное отношение мм/шаг"},
    {"ratioXEdit", "settingsTab", "0,0025", Shown::Yes, {.read_only = false}},
    {"ratioYEdit", "settingsTab", "0,0025", Shown::Yes, {.read_only = false}},
    {"ratioZEdit", "settingsTab", "0,0025", Shown::Yes, {.read_only = false}},
    {"travelLimitLabel", "settingsTab", "Пределы перемещений по осям в мм"},
    {"travelLimitXEdit", "settingsTab", "100", Shown::Yes, {.read_only = false}},
    {"travelLimitYEdit", "settingsTab", "100", Shown::Yes, {.read_only = false}},
    {"travelLimitZEdit", "settingsTab", "100", Shown::Yes, {.read_only = false}},
    {"backlashLabel", "settingsTab", "Коррекция люфтов, мм"},
    {"backlashXEdit", "settingsTab", "0", Shown::Yes, {.read_only = false}},
    {"backlashYEdit", "settingsTab", "0", Shown::Yes, {.read_only = false}},
    {"backlashZEdit", "settingsTab", "0", Shown::Yes, {.read_only = false}},
    {"applySettingsButton", "settingsTab", "Применить"},
    {"pinTestBox", "settingsTab", "Проверка порта LPT"},
    {"pinLabel1", "pinTestBox", "1"},
    {"pinLabel2", "pinTestBox", "2"},
    {"pinLabel3", "pinTestBox", "3"},
    {"pinLabel4", "pinTestBox", "4"},
    {"pinLabel5", "pinTestBox", "5"},
    {"pinLabel6", "pinTestBox", "6"},
    {"pinLabel7", "pinTestBox", "7"},
    {"pinLabel8", "pinTestBox", "8"},
    {"pinCheck1", "pinTestBox", nullptr, Shown::Yes, {.checked = false}},
    {"pinCheck2", "pinTestBox", nullptr, Shown::Yes, {.checked = false}},
    {"pinCheck3", "pinTestBox", nullptr, Shown::Yes, {.checked = false}},
    {"pinCheck4", "pinTestBox", nullptr, Shown::Yes, {.checked = false}},
    {"pinCheck5", "pinTestBox", nullptr, Shown::Yes, {.checked = false}},
    {"pinCheck6", "pinTestBox", nullptr, Shown::Yes, {.checked = false}},
    {"pinCheck7", "pinTestBox", nullptr, Shown::Yes, {.checked = false}},
    {"pinCheck8", "pinTestBox", nullptr, Shown::Yes, {.checked = false}},
    {"pinTestValue", "pinTestBox", "0"},
    {"pinTestButton", "pinTestBox", "передать в lpt"},
    {"portSeparator", "settingsTab", nullptr},
    {"ratioSeparator", "settingsTab", nullptr},
    {"settingsSeparator", "settingsTab", nullptr},
    {"pinTestSeparator", "settingsTab", nullptr},
    // About, and the splash over everything.
    {"aboutPicture", "aboutTab", nullptr, Shown::Yes, {.clickable_picture = true}},
    {"splashPanel", "MainWindow", nullptr},
    {"splashPicture", "splashPanel", nullptr, Shown::Yes, {.clickable_picture = true}},
    {"splashProgress", "splashPanel", nullptr, Shown::Yes, {.range = Range{0, 100, 100}}},
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

// The range a progress bar, slider or spin box offers, and where it stands.
std::optional<Range> range_of(QWidget* widget) {
    if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
        return Range{bar->minimum(), bar->maximum(), bar->value()};
    }
    if (auto* slider = qobject_cast<QAbstractSlider*>(widget)) {
        return Range{slider->minimum(), slider->maximum(), slider->value()};
    }
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        return Range{spin->minimum(), spin->maximum(), spin->value()};
    }
    return std::nullopt;
}

// The widget as the kind a fact needs; a failure when it is some other kind.
template <typename T>
T* as(QWidget* widget) {
    T* cast = qobject_cast<T*>(widget);
    EXPECT_NE(cast, nullptr) << "not a " << T::staticMetaObject.className();
    return cast;
}

class LayoutTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        create();
    }
};

TEST_F(LayoutTest, EveryControlIsWhereTheTableSaysAsItSays) {
    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.name);
        QWidget* widget = control<QWidget>(e.name);
        if (!widget) {
            continue;
        }
        EXPECT_TRUE(lies_on(widget, e.holder)) << "not on " << e.holder;
        if (e.text) {
            EXPECT_EQ(text_of(widget), QString::fromUtf8(e.text));
        }
        EXPECT_EQ(widget->isHidden(), e.shown == Shown::Hidden);

        const Facts& f = e.facts;
        if (f.range) {
            EXPECT_EQ(range_of(widget), f.range);
        }
        if (f.read_only) {
            if (auto* edit = as<QLineEdit>(widget)) {
                EXPECT_EQ(edit->isReadOnly(), *f.read_only);
            }
        }
        if (f.checked) {
            if (auto* box = as<QAbstractButton>(widget)) {
                EXPECT_EQ(box->isChecked(), *f.checked);
            }
        }
        if (f.editable) {
            if (auto* combo = as<QComboBox>(widget)) {
                EXPECT_EQ(combo->isEditable(), *f.editable);
            }
        }
        if (f.tool_tip) {
            EXPECT_EQ(widget->toolTip(), QString::fromUtf8(f.tool_tip));
        }
        if (f.size.isValid()) {
            EXPECT_EQ(widget->size(), f.size);
        }
        if (f.icon) {
            if (auto* button = as<QAbstractButton>(widget)) {
                EXPECT_FALSE(button->icon().isNull()) << "no icon";
            }
        }
        if (f.clickable_picture) {
            if (auto* label = as<QLabel>(widget)) {
                EXPECT_FALSE(label->pixmap().isNull()) << "no picture";
                EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
            }
        }
        if (f.fills_background) {
            EXPECT_TRUE(widget->autoFillBackground());
        }
    }
}

TEST_F(LayoutTest, WindowTabsAndToolPositionBox) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Ostrel 7"));
    EXPECT_EQ(form->minimumSize(), QSize(408, 412));
    EXPECT_EQ(form->maximumSize(), QSize(408, 412));
    EXPECT_EQ(form->pos(), QPoint(196, 118));

    auto* tabs = control<QTabWidget>("mainTabs");
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
    EXPECT_EQ(control<QWidget>("positionBox")->parentWidget(), form.get());
}

// The cross: up above down, left and right at the sides; Z up above Z down.
TEST_F(LayoutTest, ManualTab) {
    const auto at = [this](const char* name) { return control<QWidget>(name)->geometry(); };
    EXPECT_LT(at("jogYPlusButton").bottom(), at("jogYMinusButton").top());
    EXPECT_LT(at("jogXMinusButton").right(), at("jogYPlusButton").left());
    EXPECT_GT(at("jogXPlusButton").left(), at("jogYPlusButton").right());
    EXPECT_EQ(at("jogZUpButton").left(), at("jogZDownButton").left());
    EXPECT_LT(at("jogZUpButton").bottom(), at("jogZDownButton").top());
}

TEST_F(LayoutTest, ProgramTab) {
    auto* programs = control<QComboBox>("jobKindCombo");
    ASSERT_NE(programs, nullptr);
    EXPECT_EQ(programs->currentIndex(), -1);
    ASSERT_EQ(programs->count(), 3);
    EXPECT_EQ(programs->itemText(0), QStringLiteral("Рисование"));
    EXPECT_EQ(programs->itemText(1), QStringLiteral("сверление"));
    EXPECT_EQ(programs->itemText(2), QString());

    auto* inner = control<QTabWidget>("filePages");
    ASSERT_EQ(inner->count(), 3);
    EXPECT_EQ(inner->tabText(0), QStringLiteral("AutoCAD DXF"));
    EXPECT_EQ(inner->tabText(1), QStringLiteral("Gerber RS274-GBR"));
    EXPECT_EQ(inner->tabText(2), QStringLiteral("G-code"));
    EXPECT_EQ(inner->currentIndex(), 1);
}

TEST_F(LayoutTest, DxfAndGerberPages) {
    auto* grid = control<QTableWidget>("apertureGrid");
    EXPECT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->rowCount(), 50);
    EXPECT_EQ((std::vector<int>{grid->columnWidth(0), grid->columnWidth(1), grid->columnWidth(2),
                                grid->columnWidth(3)}),
              (std::vector<int>{54, 41, 39, 48}));
    EXPECT_EQ(grid->rowHeight(1), 15);

    // The comma is the mask's, not the value's: the core reads the two digits.
    EXPECT_EQ(control<QLineEdit>("markerDiameterEdit")->displayText(), QStringLiteral("0,5"));
    EXPECT_EQ(form->window_operator().field_text(Field::MarkerDiameter), QStringLiteral("05"));
}

// Eight boxes left to right, each under its number.
TEST_F(LayoutTest, SettingsTab) {
    int previous_x = -1;
    for (int i = 1; i <= 8; ++i) {
        SCOPED_TRACE(i);
        auto* box = control<QCheckBox>(qPrintable(QStringLiteral("pinCheck%1").arg(i)));
        auto* number = control<QLabel>(qPrintable(QStringLiteral("pinLabel%1").arg(i)));
        ASSERT_TRUE(box && number);
        EXPECT_GT(box->x(), previous_x);
        previous_x = box->x();
        EXPECT_LT(number->geometry().bottom(), box->geometry().top());
        EXPECT_LE(number->geometry().left(), box->geometry().center().x());
        EXPECT_GE(number->geometry().right(), box->geometry().center().x());
    }
}

// The header's letters X, Y, Z each stand over their column of edits.
TEST_F(LayoutTest, SettingsHeaderLettersStandOverTheirColumns) {
    auto* header = control<QLabel>("axisHeadingsLabel");
    ASSERT_NE(header, nullptr);
    const QString text = header->text();
    const QFontMetrics metrics = header->fontMetrics();
    const char* columns[][3] = {{"ratioXEdit", "travelLimitXEdit", "backlashXEdit"},
                                {"ratioYEdit", "travelLimitYEdit", "backlashYEdit"},
                                {"ratioZEdit", "travelLimitZEdit", "backlashZEdit"}};
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
    auto* panel = control<QWidget>("splashPanel");
    EXPECT_EQ(panel->geometry(), form->rect());
    EXPECT_EQ(form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).last(), panel)
        << "the splash lies above everything";
    auto* bar = control<QProgressBar>("splashProgress");
    EXPECT_EQ(bar->geometry().bottom(), panel->rect().bottom());

    auto* timer1 = form->findChild<QTimer*>(QStringLiteral("splashTimer"));
    auto* timer4 = form->findChild<QTimer*>(QStringLiteral("splashProgressTimer"));
    ASSERT_TRUE(timer1 && timer4);
    EXPECT_EQ(timer1->interval(), 7000);
    EXPECT_EQ(timer4->interval(), 400);
    EXPECT_TRUE(timer1->isActive());
    EXPECT_TRUE(timer4->isActive());
}

// What a person sees: on every tab no two shown controls overlap, none sticks out of its holder
// or hides under the tool-position box, and every caption fits its control.
TEST_F(LayoutTest, EveryCaptionReadableAndNothingOverlaps) {
    form->hide_splash();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto* tabs = control<QTabWidget>("mainTabs");
    auto* inner = control<QTabWidget>("filePages");
    auto* box = control<QWidget>("positionBox");
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
            if (qobject_cast<QGroupBox*>(w) || w->objectName() == QLatin1String("positionBox")) {
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
        control<QComboBox>("jobKindCombo")->setCurrentIndex(kind);
        SCOPED_TRACE(kind);
        check_holder(tabs->widget(1), check_holder);
    }
}

}  // namespace
}  // namespace ostrel::testing
