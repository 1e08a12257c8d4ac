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
    check({
        {"positionBox", "MainWindow", "Полож. инструмента"},
        {"positionXDisplay", "positionBox", "0.0"},
        {"positionYDisplay", "positionBox", "0.0"},
        {"positionZDisplay", "positionBox", "0.0"},
        {"zeroXButton", "positionBox", ">0<"},
        {"zeroYButton", "positionBox", ">0<"},
        {"zeroZButton", "positionBox", ">0<"},
    });
    for (const char* view : {"positionXDisplay", "positionYDisplay", "positionZDisplay"}) {
        EXPECT_TRUE(control<QLineEdit>(view)->isReadOnly()) << view;
    }
    // What changes at every step fills its own background: a repaint of it then need not
    // repaint the box behind it, which costs several times as much.
    for (const char* changing :
         {"positionXDisplay", "positionYDisplay", "positionZDisplay", "progressGauge"}) {
        EXPECT_TRUE(control<QWidget>(changing)->autoFillBackground()) << changing;
    }
}

TEST_F(LayoutTest, ManualTab) {
    check({
        {"progressGauge", "manualTab", nullptr},
        {"jogSpeedLabel", "manualTab", "Скорость"},
        {"jogSpeedSlider", "manualTab", nullptr},
        {"jogSpeedValue", "manualTab", "1"},  // set by the start-up for position 10
        {"jogSpeedUnit", "manualTab", "мм/с"},
        {"jogDistanceLabel", "manualTab", "Растояние"},
        {"jogDistanceSlider", "manualTab", nullptr},
        {"jogDistanceValue", "manualTab", "0.01"},
        {"jogDistanceUnit", "manualTab", "мм"},
        {"jogYPlusButton", "manualTab", nullptr},
        {"jogYMinusButton", "manualTab", nullptr},
        {"jogXMinusButton", "manualTab", nullptr},
        {"jogXPlusButton", "manualTab", nullptr},
        {"jogZUpButton", "manualTab", nullptr},
        {"jogZDownButton", "manualTab", nullptr},
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
    });
    auto* gauge = control<QProgressBar>("progressGauge");
    EXPECT_EQ(std::tuple(gauge->minimum(), gauge->maximum(), gauge->value()),
              std::tuple(0, 100, 0));
    auto* speed = control<QSlider>("jogSpeedSlider");
    EXPECT_EQ(std::tuple(speed->minimum(), speed->maximum(), speed->value()),
              std::tuple(1, 20, 10));
    auto* distance = control<QSlider>("jogDistanceSlider");
    EXPECT_EQ(std::tuple(distance->minimum(), distance->maximum(), distance->value()),
              std::tuple(1, 12, 1));
    // The cross: up above down, left and right at the sides; Z up above Z down.
    const auto at = [this](const char* name) { return control<QWidget>(name)->geometry(); };
    for (const char* name : {"jogYPlusButton", "jogYMinusButton", "jogXMinusButton",
                             "jogXPlusButton", "jogZUpButton", "jogZDownButton"}) {
        EXPECT_EQ(at(name).size(), QSize(33, 33)) << name;
        EXPECT_FALSE(control<QToolButton>(name)->icon().isNull()) << name;
    }
    EXPECT_LT(at("jogYPlusButton").bottom(), at("jogYMinusButton").top());
    EXPECT_LT(at("jogXMinusButton").right(), at("jogYPlusButton").left());
    EXPECT_GT(at("jogXPlusButton").left(), at("jogYPlusButton").right());
    EXPECT_EQ(at("jogZUpButton").left(), at("jogZDownButton").left());
    EXPECT_LT(at("jogZUpButton").bottom(), at("jogZDownButton").top());
}

TEST_F(LayoutTest, ProgramTab) {
    check({
        {"jobKindLabel", "programTab", "Вид программы"},
        {"jobKindCombo", "programTab", "< выбери  >"},
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
        {"returnToOriginCheck", "programTab", "возврат в 0,0"},
        {"filePages", "programTab", nullptr},
    });
    auto* programs = control<QComboBox>("jobKindCombo");
    ASSERT_NE(programs, nullptr);
    EXPECT_TRUE(programs->isEditable());
    EXPECT_EQ(programs->currentIndex(), -1);
    ASSERT_EQ(programs->count(), 3);
    EXPECT_EQ(programs->itemText(0), QStringLiteral("Рисование"));
    EXPECT_EQ(programs->itemText(1), QStringLiteral("сверление"));
    EXPECT_EQ(programs->itemText(2), QString());
    EXPECT_TRUE(control<QCheckBox>("returnToOriginCheck")->isChecked());

    auto* inner = control<QTabWidget>("filePages");
    ASSERT_EQ(inner->count(), 2);
    EXPECT_EQ(inner->tabText(0), QStringLiteral("AutoCAD DXF"));
    EXPECT_EQ(inner->tabText(1), QStringLiteral("Gerber RS274-GBR"));
    EXPECT_EQ(inner->currentIndex(), 1);
}

TEST_F(LayoutTest, DxfAndGerberPages) {
    check({
        {"dxfFileEdit", "dxfPage", "d:\\step\\dxf\\1.dxf"},
        {"chooseDxfFileButton", "dxfPage", nullptr},
        {"dxfPreviewBox", "dxfPage", "просмотр"},
        {"zoomLabel", "dxfPreviewBox", "маштаб"},
        {"zoomSpin", "dxfPreviewBox", nullptr},
        {"autoZoomCheck", "dxfPreviewBox", "Auto"},
        {"idleMovesCheck", "dxfPreviewBox", "холстые перем."},
        {"dxfPreviewButton", "dxfPreviewBox", "Просмотр"},
        {"gerberFileEdit", "gerberPage", "Файл"},
        {"chooseGerberFileButton", "gerberPage", nullptr},
        {"apertureGrid", "gerberPage", nullptr},
        {"markerDiameterLabel", "gerberPage", "Диаметр маркера, мм"},
        {"markerDiameterEdit", "gerberPage", "0,5"},
        {"gerberPreviewButton", "gerberPage", "Проспотр"},
    });
    auto* zoom = control<QSpinBox>("zoomSpin");
    EXPECT_EQ(std::tuple(zoom->minimum(), zoom->maximum(), zoom->value()), std::tuple(0, 150, 1));
    EXPECT_FALSE(control<QCheckBox>("autoZoomCheck")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("idleMovesCheck")->isChecked());
    EXPECT_FALSE(control<QToolButton>("chooseDxfFileButton")->icon().isNull());
    EXPECT_FALSE(control<QToolButton>("chooseGerberFileButton")->icon().isNull());

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

TEST_F(LayoutTest, SettingsTab) {
    check({
        {"portLabel", "settingsTab", "Установленные  порты"},
        {"portCombo", "settingsTab", "$3BC"},
        {"axisHeadingsLabel", "settingsTab",
         "X                                Y                              Z"},
        {"ratioLabel", "settingsTab", "Передаточное отношение мм/шаг"},
        {"ratioXEdit", "settingsTab", "0,0025"},
        {"ratioYEdit", "settingsTab", "0,0025"},
        {"ratioZEdit", "settingsTab", "0,0025"},
        {"travelLimitLabel", "settingsTab", "Пределы перемещений по осям в мм"},
        {"travelLimitXEdit", "settingsTab", "100"},
        {"travelLimitYEdit", "settingsTab", "100"},
        {"travelLimitZEdit", "settingsTab", "100"},
        {"backlashLabel", "settingsTab", "Коррекция люфтов, мм"},
        {"backlashXEdit", "settingsTab", "0"},
        {"backlashYEdit", "settingsTab", "0"},
        {"backlashZEdit", "settingsTab", "0"},
        {"applySettingsButton", "settingsTab", "Применить"},
        {"pinTestBox", "settingsTab", "Проверка порта LPT"},
        {"pinTestValue", "pinTestBox", "0"},
        {"pinTestButton", "pinTestBox", "передать в lpt"},
        {"portSeparator", "settingsTab", nullptr},
        {"ratioSeparator", "settingsTab", nullptr},
        {"settingsSeparator", "settingsTab", nullptr},
        {"pinTestSeparator", "settingsTab", nullptr},
    });
    EXPECT_EQ(control<QWidget>("portCombo")->toolTip(),
              QStringLiteral("Адрес текущего базового порта LPT"));
    EXPECT_TRUE(control<QComboBox>("portCombo")->isEditable());
    for (const char* name : {"ratioXEdit", "ratioYEdit", "ratioZEdit", "travelLimitXEdit",
                             "travelLimitYEdit", "travelLimitZEdit", "backlashXEdit"}) {
        EXPECT_FALSE(control<QLineEdit>(name)->isReadOnly()) << name;
    }
    // Eight boxes left to right, each under its number.
    int previous_x = -1;
    for (int i = 1; i <= 8; ++i) {
        SCOPED_TRACE(i);
        auto* box = control<QCheckBox>(qPrintable(QStringLiteral("pinCheck%1").arg(i)));
        auto* number = control<QLabel>(qPrintable(QStringLiteral("pinLabel%1").arg(i)));
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
    check({
        {"aboutPicture", "aboutTab", nullptr},
        {"splashPanel", "MainWindow", nullptr},
        {"splashPicture", "splashPanel", nullptr},
        {"splashProgress", "splashPanel", nullptr},
    });
    for (const char* picture : {"splashPicture", "aboutPicture"}) {
        auto* label = control<QLabel>(picture);
        EXPECT_FALSE(label->pixmap().isNull()) << picture;
        EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor) << picture;
    }
    auto* panel = control<QWidget>("splashPanel");
    EXPECT_EQ(panel->geometry(), form->rect());
    EXPECT_EQ(form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).last(), panel)
        << "the splash lies above everything";
    auto* bar = control<QProgressBar>("splashProgress");
    EXPECT_EQ(std::tuple(bar->minimum(), bar->maximum(), bar->value()), std::tuple(0, 100, 100));
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
