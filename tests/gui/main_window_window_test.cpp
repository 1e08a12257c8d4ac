// The main window's handlers on the simulated machine: start-up, job kind, splash, settings, files.
#include "tests/gui/window_fixture.h"
#include "tests/support/scripted_port.h"

#include "core/number_text.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace ostrel::testing {
namespace {

QStringList items_of(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

using StartUpTest = MainWindowTest;

TEST_F(StartUpTest, ListsTheConfiguredPortsAndSelectsTheFirst) {
    create_sim(true, false, true);
    auto* ports = control<QComboBox>("ComboBox1");
    EXPECT_EQ(items_of(ports), (QStringList{QStringLiteral("$3BC"), QStringLiteral("$278")}));
    EXPECT_EQ(ports->currentText(), QStringLiteral("$3BC"));
    EXPECT_EQ(form->machine().get_port(), PORT_3BC);
    EXPECT_TRUE(desktop.boxes.empty());
    EXPECT_TRUE(desktop.end_requests.empty());
}

TEST_F(StartUpTest, NoPortAnswersLeavesTheListAndItsTextEmpty) {
    create_sim(false, false, false);
    auto* ports = control<QComboBox>("ComboBox1");
    EXPECT_EQ(ports->count(), 0);
    EXPECT_EQ(ports->currentText(), QString());
    EXPECT_EQ(form->machine().get_port(), PORT_278);
}

TEST_F(StartUpTest, UnusablePortShowsTheCodeRunsToTheEndAndEndsTheProgram) {
    auto closed = std::make_unique<ScriptedBackend>();
    closed->open = false;
    closed->error = 13;
    create(std::move(closed));

    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].caption, QStringLiteral("ERROR"));
    EXPECT_EQ(desktop.boxes[0].text,
              QStringLiteral("Ошибка при создании объекта Lpt,  драйвер ERROR,  код = 13"));
    EXPECT_EQ(desktop.end_requests, std::vector<int>{1});
    // The rest of the start-up still ran: empty port list, settings applied.
    EXPECT_EQ(control<QComboBox>("ComboBox1")->count(), 0);
    EXPECT_EQ(control<QComboBox>("ComboBox1")->currentText(), QString());
    EXPECT_EQ(control<QLineEdit>("Edit6")->text(), QStringLiteral("100"));
    EXPECT_EQ(control<QLabel>("Label46")->text(), QStringLiteral("1"));
}

TEST_F(StartUpTest, MissingSettingsFileGivesExactlyOneMessage) {
    with_cfg_ini = false;
    create();
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Фай конфигурации отсутствует"));
    EXPECT_EQ(desktop.boxes[0].caption, QStringLiteral("Ostrel 7"));
    EXPECT_TRUE(desktop.end_requests.empty());
}

class JobKindTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        create();
        programs = control<QComboBox>("Programs");
    }

    // The visible-or-not state and text of every control the switch touches.
    std::vector<std::pair<bool, QString>> snapshot() const {
        std::vector<std::pair<bool, QString>> out;
        for (const char* name : {"B_risov", "B_drill", "Label17", "Label26", "Label18"}) {
            out.emplace_back(!form->findChild<QWidget*>(name)->isHidden(),
                             name == std::string("Label17") ? form->findChild<QLabel*>(name)->text()
                                                            : QString());
        }
        for (const char* name :
             {"e_glubs", "e_glubi", "e_sped", "e_sped2", "e_pero", "e_sped_up", "e_sped_dow"}) {
            auto* edit = form->findChild<QLineEdit*>(name);
            out.emplace_back(!edit->isHidden(), edit->text());
        }
        return out;
    }

    QComboBox* programs = nullptr;
};

TEST_F(JobKindTest, DrawingAndDrillingSetTheirControlsAndDefaults) {
    struct Case {
        int item;
        bool drill;
        const char* sped_dow;
    };
    for (const Case& c : {Case{0, false, "1,5"}, Case{1, true, "0,2"}, Case{0, false, "1,5"}}) {
        SCOPED_TRACE(c.item);
        control<QLineEdit>("e_sped")->setText(QStringLiteral("typed"));
        programs->setCurrentIndex(c.item);
        EXPECT_EQ(control<QWidget>("B_risov")->isHidden(), c.drill);
        EXPECT_EQ(control<QWidget>("B_drill")->isHidden(), !c.drill);
        for (const char* depth : {"Label17", "e_glubs", "Label26"}) {
            EXPECT_EQ(control<QWidget>(depth)->isHidden(), !c.drill) << depth;
        }
        EXPECT_TRUE(control<QWidget>("Label18")->isHidden());
        EXPECT_TRUE(control<QWidget>("e_glubi")->isHidden());
        EXPECT_EQ(control<QLineEdit>("e_sped")->text(), QStringLiteral("2,5"));
        EXPECT_EQ(control<QLineEdit>("e_sped2")->text(), QStringLiteral("2,5"));
        EXPECT_EQ(control<QLineEdit>("e_pero")->text(), QStringLiteral("0,5"));
        EXPECT_EQ(control<QLineEdit>("e_sped_up")->text(), QStringLiteral("1,5"));
        EXPECT_EQ(control<QLineEdit>("e_sped_dow")->text(), QString::fromUtf8(c.sped_dow));
        if (c.drill) {
            EXPECT_EQ(control<QLabel>("Label17")->text(), QStringLiteral("глубина отверстия"));
            EXPECT_EQ(control<QLineEdit>("e_glubs")->text(), QStringLiteral("2"));
        }
    }
}

TEST_F(JobKindTest, EmptyItemAndTypedTextChangeNothing) {
    programs->setCurrentIndex(1);
    control<QLineEdit>("e_sped_dow")->setText(QStringLiteral("0,3"));
    const auto before = snapshot();

    programs->setCurrentIndex(2);
    EXPECT_EQ(snapshot(), before);

    programs->setCurrentIndex(1);
    control<QLineEdit>("e_sped_dow")->setText(QStringLiteral("0,3"));
    programs->setEditText(QStringLiteral("Рис"));  // typing: no item selected
    EXPECT_EQ(snapshot(), before);
}

TEST_F(JobKindTest, ChoosingTheSameItemAfterTypingWritesTheDefaultsAgain) {
    programs->setCurrentIndex(0);
    programs->setEditText(QStringLiteral("x"));
    control<QLineEdit>("e_sped")->setText(QStringLiteral("9"));
    programs->setEditText(QStringLiteral("Рисование"));
    EXPECT_EQ(control<QLineEdit>("e_sped")->text(), QStringLiteral("2,5"));
}

TEST_F(MainWindowTest, SplashHidesAtSevenSecondsWithTheBarAtFifteen) {
    create();
    auto* panel = control<QWidget>("Panel1");
    auto* bar = control<QProgressBar>("ProgressBar1");
    EXPECT_FALSE(control<QWidget>("PageControl1")->isEnabled()) << "reachable under the splash";
    // Nominal timing: Timer4 has fired 17 times when Timer1 first fires.
    for (int tick = 0; tick < 7000 / 400; ++tick) {
        form->Timer4Timer();
    }
    EXPECT_FALSE(panel->isHidden());
    form->Timer1Timer();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(bar->value(), 15);
    EXPECT_TRUE(control<QWidget>("PageControl1")->isEnabled());
    EXPECT_TRUE(control<QWidget>("GroupBox2")->isEnabled());

    // The timers run on; the bar stays at its floor and the panel stays hidden.
    for (int tick = 0; tick < 10; ++tick) {
        form->Timer4Timer();
    }
    form->Timer1Timer();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(MainWindowTest, PicturesOpenTheGuideAndTheReadme) {
    create();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTest::mouseClick(control<QWidget>("Image1"), Qt::LeftButton);
    pass_splash();
    control<QTabWidget>("PageControl1")->setCurrentIndex(3);
    QTest::mouseClick(control<QWidget>("Image2"), Qt::LeftButton);
    ASSERT_EQ(desktop.urls.size(), 2u);
    EXPECT_TRUE(desktop.urls[0].isLocalFile());
    EXPECT_TRUE(desktop.urls[0].toLocalFile().endsWith(QLatin1String("/guide.html")));
    EXPECT_TRUE(desktop.urls[1].toLocalFile().endsWith(QLatin1String("/README.md")));
}

TEST_F(MainWindowTest, TrackBarsShowSpeedAndDistance) {
    create();
    auto* speed = control<QSlider>("TrackBar1");
    for (auto [position, text] : {std::pair{1, "0,01"}, std::pair{20, "4"}, std::pair{10, "1"}}) {
        speed->setValue(position);
        EXPECT_EQ(control<QLabel>("Label46")->text(), QString::fromUtf8(text));
    }
    auto* distance = control<QSlider>("TrackBar2");
    distance->setValue(12);
    EXPECT_EQ(control<QLabel>("Label5")->text(), show_fixed4(Machine::jog_distance_mm(12)));
    EXPECT_EQ(form->window_operator().jog_distance_position(), 12);
}

TEST_F(MainWindowTest, PanelReadsThePageAndPreviewSettingsShownNow) {
    create();
    const Panel& panel = form->window_operator();
    EXPECT_EQ(panel.file_page(), 1);
    EXPECT_EQ(panel.preview_zoom(), 1);
    EXPECT_FALSE(panel.auto_zoom());
    EXPECT_FALSE(panel.idle_moves());
    EXPECT_TRUE(panel.return_to_origin());

    control<QTabWidget>("PageControl2")->setCurrentIndex(0);
    control<QSpinBox>("SE_zoom")->setValue(12);
    control<QCheckBox>("C_autozoom")->setChecked(true);
    control<QCheckBox>("CB_holost")->setChecked(true);
    control<QCheckBox>("CB_vozvrat")->setChecked(false);
    control<QComboBox>("ComboBox1")->setEditText(QStringLiteral("$3bc"));
    EXPECT_EQ(panel.file_page(), 0);
    EXPECT_EQ(panel.preview_zoom(), 12);
    EXPECT_TRUE(panel.auto_zoom());
    EXPECT_TRUE(panel.idle_moves());
    EXPECT_FALSE(panel.return_to_origin());
    EXPECT_EQ(panel.field_text(Field::ComboBox1), QStringLiteral("$3bc"));  // as typed
}

TEST_F(MainWindowTest, PinTestWritesTheByteToThePortShown) {
    create_sim(true, true, true);
    pass_splash();
    sim->clear_write_log();
    control<QCheckBox>("CheckBox1")->setChecked(true);
    control<QCheckBox>("CheckBox8")->setChecked(true);
    QTest::mouseClick(control<QPushButton>("Button4"), Qt::LeftButton);
    EXPECT_EQ(control<QLabel>("Label35")->text(), QStringLiteral("129"));
    ASSERT_EQ(sim->write_log().size(), 1u);
    EXPECT_EQ(sim->write_log()[0].address, PORT_3BC | REG_DATA);
    EXPECT_EQ(sim->write_log()[0].value, 129);

    // The port is whatever the box shows at the moment of the write.
    control<QComboBox>("ComboBox1")->setCurrentIndex(2);
    for (int i = 1; i <= 8; ++i) {
        control<QCheckBox>(qPrintable(QStringLiteral("CheckBox%1").arg(i)))->setChecked(true);
    }
    form->Button4Click();
    EXPECT_EQ(control<QLabel>("Label35")->text(), QStringLiteral("255"));
    ASSERT_EQ(sim->write_log().size(), 2u);
    EXPECT_EQ(sim->write_log()[1].address, PORT_278 | REG_DATA);
    EXPECT_EQ(sim->write_log()[1].value, 255);
}

TEST_F(MainWindowTest, NewCoordinatesAndZeroButtons) {
    create();
    pass_splash();
    control<QLineEdit>("Edit12")->setText(QStringLiteral("12.5"));
    control<QLineEdit>("Edit13")->setText(QStringLiteral("-3"));
    QTest::mouseClick(control<QPushButton>("Button8"), Qt::LeftButton);
    EXPECT_EQ(form->machine().state().pos_x, 12.5);
    EXPECT_EQ(form->machine().state().pos_y, -3.0);
    EXPECT_EQ(control<QLineEdit>("view_x")->text(), QStringLiteral("12.5"));  // as typed
    EXPECT_EQ(control<QLineEdit>("view_y")->text(), QStringLiteral("-3"));

    QTest::mouseClick(control<QPushButton>("Button5"), Qt::LeftButton);
    EXPECT_EQ(form->machine().state().pos_x, 0.0);
    EXPECT_EQ(control<QLineEdit>("view_x")->text(), QStringLiteral("0"));
    EXPECT_EQ(control<QLineEdit>("view_y")->text(), QStringLiteral("-3"));
    EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(MainWindowTest, AbandonedOperationIsShownAsAnError) {
    create();
    pass_splash();
    control<QLineEdit>("Edit12")->setText(QStringLiteral("7"));
    control<QLineEdit>("Edit13")->setText(QStringLiteral("abc"));
    QTest::mouseClick(control<QPushButton>("Button8"), Qt::LeftButton);
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("'abc' is not a valid floating point value"));
    EXPECT_EQ(desktop.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(form->machine().state().pos_x, 7.0);  // stored before the bad field
    EXPECT_EQ(control<QLineEdit>("view_x")->text(), QStringLiteral("0.0"));
}

TEST_F(MainWindowTest, PositionDisplaysAreThrottledButEndOnTheLatestTexts) {
    create();
    WindowOperator& op = form->window_operator();
    op.show_position_texts(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"));
    EXPECT_EQ(control<QLineEdit>("view_x")->text(), QStringLiteral("1"));  // first at once
    for (int step = 2; step <= 500; ++step) {
        op.show_position_texts(QString::number(step), QStringLiteral("2"), QStringLiteral("3"));
    }
    EXPECT_EQ(control<QLineEdit>("view_x")->text(), QStringLiteral("1"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return control<QLineEdit>("view_x")->text() == QStringLiteral("500"); }, 2000));
}

TEST_F(MainWindowTest, TrackWindowAppearsOnTheFirstPositionUpdate) {
    create();
    TForm3 track(form->track_picture());
    form->window_operator().set_track_window(&track);
    EXPECT_FALSE(track.isVisible());
    form->machine().view_xyz();
    EXPECT_TRUE(track.isVisible());
}

TEST_F(MainWindowTest, ContinueQuestionWaitsForTheAnswer) {
    create();
    TF_stop f_stop;
    form->window_operator().set_stop_dialog(&f_stop);
    const auto answer_with = [&](const char* button) {
        QTimer::singleShot(0, &f_stop, [&f_stop, button] {
            ASSERT_TRUE(f_stop.isVisible());
            QTest::mouseClick(f_stop.findChild<QPushButton*>(QString::fromLatin1(button)),
                              Qt::LeftButton);
        });
        return form->window_operator().ask_continue();
    };
    EXPECT_TRUE(answer_with("Button1"));
    EXPECT_TRUE(f_stop.isHidden());
    EXPECT_FALSE(answer_with("Button2"));

    // Closed with the close box after an earlier "ДА": not taken as a yes.
    EXPECT_TRUE(answer_with("Button1"));
    QTimer::singleShot(0, &f_stop, [&f_stop] { f_stop.close(); });
    EXPECT_FALSE(form->window_operator().ask_continue());
}

TEST_F(MainWindowTest, ApplyWithABadFieldNamesItAndAppliesNothing) {
    create();
    pass_splash();
    const QByteArray cfg_before = [this] {
        QFile file(scratch_path(QStringLiteral("cfg.ini")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }();
    control<QLineEdit>("Edit1")->setText(QStringLiteral("0,005"));
    control<QLineEdit>("Edit7")->setText(QStringLiteral("сто"));
    QTest::mouseClick(control<QPushButton>("Button9"), Qt::LeftButton);

    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_TRUE(desktop.boxes[0].text.contains(QStringLiteral("сто")))
        << desktop.boxes[0].text.toStdString();
    const MachineState& state = form->machine().state();
    EXPECT_EQ(state.mm_per_step[AXIS_X], 0.0025);
    EXPECT_EQ(state.travel_limit[AXIS_Y], 100);
    QFile file(scratch_path(QStringLiteral("cfg.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), cfg_before);
}

TEST_F(MainWindowTest, ApplyTakesTheEditedParameters) {
    create();
    pass_splash();
    control<QLineEdit>("Edit1")->setText(QStringLiteral("0.005"));
    control<QLineEdit>("Edit8")->setText(QStringLiteral("60"));
    control<QLineEdit>("ly_y")->setText(QStringLiteral("0,1"));
    QTest::mouseClick(control<QPushButton>("Button9"), Qt::LeftButton);
    EXPECT_TRUE(desktop.boxes.empty());
    const MachineState& state = form->machine().state();
    EXPECT_EQ(state.mm_per_step[AXIS_X], 0.005);
    EXPECT_EQ(state.travel_limit[AXIS_Z], 60);
    EXPECT_EQ(state.backlash[AXIS_Y], 0.1);
    EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral("0,005"));  // shown again
}

class JobParametersTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        create();
        pass_splash();
    }
    void set(const char* name, const char* text) {
        control<QLineEdit>(name)->setText(QString::fromUtf8(text));
    }
    QString get(const char* name) { return control<QLineEdit>(name)->text(); }
};

TEST_F(JobParametersTest, SaveThenLoadRoundTrips) {
    control<QComboBox>("Programs")->setCurrentIndex(1);
    set("e_sped", "3,25");
    set("e_glubs", "1,6");
    set("d_mark", "07");
    control<QCheckBox>("CB_vozvrat")->setChecked(false);
    const QString path = scratch_path(QStringLiteral("job.ini"));
    desktop.save_answers.push_back(path);
    QTest::mouseClick(control<QPushButton>("Button2"), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(path));

    control<QComboBox>("Programs")->setCurrentIndex(0);  // writes the drawing defaults
    set("e_glubs", "9");
    set("d_mark", "05");
    control<QCheckBox>("CB_vozvrat")->setChecked(true);
    desktop.open_answers.push_back(path);
    QTest::mouseClick(control<QPushButton>("Button3"), Qt::LeftButton);

    EXPECT_TRUE(desktop.boxes.empty());
    EXPECT_EQ(get("e_sped"), QStringLiteral("3,25"));
    EXPECT_EQ(get("e_sped2"), QStringLiteral("2,5"));
    EXPECT_EQ(get("e_sped_dow"), QStringLiteral("0,2"));
    EXPECT_EQ(get("e_glubs"), QStringLiteral("1,6"));
    EXPECT_EQ(control<QLineEdit>("d_mark")->displayText(), QStringLiteral("0,7"));
    EXPECT_EQ(form->window_operator().field_text(Field::d_mark), QStringLiteral("07"));
    EXPECT_FALSE(control<QCheckBox>("CB_vozvrat")->isChecked());
}

TEST_F(JobParametersTest, CancelledDialogsAndBadFilesChangeNothing) {
    desktop.save_answers.push_back(QString());
    form->Button2Click();
    desktop.open_answers.push_back(QString());
    form->Button3Click();
    EXPECT_TRUE(desktop.boxes.empty());
    EXPECT_EQ(get("e_sped"), QStringLiteral("e_sped"));

    const QString bad = scratch_path(QStringLiteral("cfg.ini"));  // not a job file
    desktop.open_answers.push_back(bad);
    form->Button3Click();
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_TRUE(desktop.boxes[0].text.contains(bad));
    EXPECT_EQ(get("e_sped"), QStringLiteral("e_sped"));
}

}  // namespace
}  // namespace ostrel::testing
