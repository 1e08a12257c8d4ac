// The main window's handlers on the simulated machine: start-up, job kind, splash, settings, files.
#include "tests/gui/window_fixture.h"
#include "tests/support/job_texts.h"
#include "tests/support/scripted_port.h"

#include "core/number_text.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"
#include "port/port_options.h"

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
    auto* ports = control<QComboBox>("portCombo");
    EXPECT_EQ(items_of(ports), (QStringList{QStringLiteral("$3BC"), QStringLiteral("$278")}));
    EXPECT_EQ(ports->currentText(), QStringLiteral("$3BC"));
    EXPECT_EQ(form->machine().selected_port_id(), PORT_3BC);
    EXPECT_TRUE(desktop.boxes.empty());
    EXPECT_TRUE(desktop.end_requests.empty());
}

TEST_F(StartUpTest, NoPortAnswersLeavesTheListAndItsTextEmpty) {
    create_sim(false, false, false);
    auto* ports = control<QComboBox>("portCombo");
    EXPECT_EQ(ports->count(), 0);
    EXPECT_EQ(ports->currentText(), QString());
    EXPECT_EQ(form->machine().selected_port_id(), PORT_278);
}

TEST_F(StartUpTest, UnusablePortShowsTheCodeRunsToTheEndAndEndsTheProgram) {
    auto closed = std::make_unique<ScriptedBackend>();
    closed->open = false;
    closed->error = 13;
    create(std::move(closed));

    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].caption, QStringLiteral("ERROR"));
    EXPECT_EQ(desktop.boxes[0].text,
              QStringLiteral("Ошибка при создании объекта Lpt,  драйвер ERROR,  код = 13 (%1)")
                  .arg(qt_error_string(13)));
    EXPECT_EQ(desktop.end_requests, std::vector<int>{1});
    // The rest of the start-up still ran: empty port list, settings applied.
    EXPECT_EQ(control<QComboBox>("portCombo")->count(), 0);
    EXPECT_EQ(control<QComboBox>("portCombo")->currentText(), QString());
    EXPECT_EQ(control<QLineEdit>("travelLimitXEdit")->text(), QStringLiteral("100"));
    EXPECT_EQ(control<QLabel>("jogSpeedValue")->text(), QStringLiteral("1"));
}

TEST_F(StartUpTest, ATraceFileThatCannotBeOpenedIsToldAsSuch) {
    PortOptions options;
    options.kind = PortKind::Sim;
    options.trace_path = scratch.path("no/such/folder/run.trace");
    create(make_port_backend(options));
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_TRUE(desktop.boxes[0].text.contains(options.trace_path))
        << desktop.boxes[0].text.toStdString();
    EXPECT_FALSE(desktop.boxes[0].text.contains(QStringLiteral("код")))
        << desktop.boxes[0].text.toStdString();
    EXPECT_EQ(desktop.end_requests, std::vector<int>{1});
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
        programs = control<QComboBox>("jobKindCombo");
    }

    // The visible-or-not state and text of every control the switch touches.
    std::vector<std::pair<bool, QString>> snapshot() const {
        std::vector<std::pair<bool, QString>> out;
        for (const char* name :
             {"drawButton", "drillButton", "drillDepthLabel", "drillDepthUnit", "passDepthLabel"}) {
            out.emplace_back(!form->findChild<QWidget*>(name)->isHidden(),
                             name == std::string("drillDepthLabel")
                                 ? form->findChild<QLabel*>(name)->text()
                                 : QString());
        }
        for (const char* name :
             {"drillDepthEdit", "passDepthEdit", "speedXyEdit", "speedXyRapidEdit", "zTravelEdit",
              "speedZUpEdit", "speedZDownEdit"}) {
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
    };
    for (const Case& c : {Case{0, false}, Case{1, true}, Case{0, false}}) {
        SCOPED_TRACE(c.item);
        const JobTexts filled = c.drill ? JobTexts::drilling() : JobTexts::drawing();
        control<QLineEdit>("speedXyEdit")->setText(QStringLiteral("typed"));
        programs->setCurrentIndex(c.item);
        EXPECT_EQ(control<QWidget>("drawButton")->isHidden(), c.drill);
        EXPECT_EQ(control<QWidget>("drillButton")->isHidden(), !c.drill);
        for (const char* depth : {"drillDepthLabel", "drillDepthEdit", "drillDepthUnit"}) {
            EXPECT_EQ(control<QWidget>(depth)->isHidden(), !c.drill) << depth;
        }
        EXPECT_TRUE(control<QWidget>("passDepthLabel")->isHidden());
        EXPECT_TRUE(control<QWidget>("passDepthEdit")->isHidden());
        EXPECT_EQ(control<QLineEdit>("speedXyEdit")->text(), filled.speed_xy);
        EXPECT_EQ(control<QLineEdit>("speedXyRapidEdit")->text(), filled.speed_xy_rapid);
        EXPECT_EQ(control<QLineEdit>("zTravelEdit")->text(), filled.z_travel);
        EXPECT_EQ(control<QLineEdit>("speedZUpEdit")->text(), filled.speed_z_up);
        EXPECT_EQ(control<QLineEdit>("speedZDownEdit")->text(), filled.speed_z_down);
        if (c.drill) {
            EXPECT_EQ(control<QLabel>("drillDepthLabel")->text(),
                      QStringLiteral("глубина отверстия"));
            EXPECT_EQ(control<QLineEdit>("drillDepthEdit")->text(), filled.drill_depth.value());
        }
    }
}

TEST_F(JobKindTest, EmptyItemAndTypedTextChangeNothing) {
    programs->setCurrentIndex(1);
    control<QLineEdit>("speedZDownEdit")->setText(QStringLiteral("0,3"));
    const auto before = snapshot();

    programs->setCurrentIndex(2);
    EXPECT_EQ(snapshot(), before);

    programs->setCurrentIndex(1);
    control<QLineEdit>("speedZDownEdit")->setText(QStringLiteral("0,3"));
    programs->setEditText(QStringLiteral("Рис"));  // typing: no item selected
    EXPECT_EQ(snapshot(), before);
}

TEST_F(JobKindTest, ChoosingTheSameItemAfterTypingWritesTheDefaultsAgain) {
    programs->setCurrentIndex(0);
    programs->setEditText(QStringLiteral("x"));
    control<QLineEdit>("speedXyEdit")->setText(QStringLiteral("9"));
    programs->setEditText(QStringLiteral("Рисование"));
    EXPECT_EQ(control<QLineEdit>("speedXyEdit")->text(), JobTexts::drawing().speed_xy);
}

TEST_F(MainWindowTest, SplashHidesAtSevenSecondsWithTheBarAtFifteen) {
    create();
    auto* panel = control<QWidget>("splashPanel");
    auto* bar = control<QProgressBar>("splashProgress");
    EXPECT_FALSE(control<QWidget>("mainTabs")->isEnabled()) << "reachable under the splash";
    // Nominal timing: splashProgressTimer has fired 17 times when splashTimer first fires.
    for (int tick = 0; tick < 7000 / 400; ++tick) {
        form->splash_progress_tick();
    }
    EXPECT_FALSE(panel->isHidden());
    form->hide_splash();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(bar->value(), 15);
    EXPECT_TRUE(control<QWidget>("mainTabs")->isEnabled());
    EXPECT_TRUE(control<QWidget>("positionBox")->isEnabled());

    // The timers run on; the bar stays at its floor and the panel stays hidden.
    for (int tick = 0; tick < 10; ++tick) {
        form->splash_progress_tick();
    }
    form->hide_splash();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(MainWindowTest, PicturesOpenTheGuideAndTheReadme) {
    create();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTest::mouseClick(control<QWidget>("splashPicture"), Qt::LeftButton);
    pass_splash();
    control<QTabWidget>("mainTabs")->setCurrentIndex(3);
    QTest::mouseClick(control<QWidget>("aboutPicture"), Qt::LeftButton);
    ASSERT_EQ(desktop.urls.size(), 2u);
    EXPECT_TRUE(desktop.urls[0].isLocalFile());
    EXPECT_TRUE(desktop.urls[0].toLocalFile().endsWith(QLatin1String("/guide.html")));
    EXPECT_TRUE(desktop.urls[1].toLocalFile().endsWith(QLatin1String("/README.md")));
}

TEST_F(MainWindowTest, TrackBarsShowSpeedAndDistance) {
    create();
    auto* speed = control<QSlider>("jogSpeedSlider");
    for (auto [position, text] : {std::pair{1, "0,01"}, std::pair{20, "4"}, std::pair{10, "1"}}) {
        speed->setValue(position);
        EXPECT_EQ(control<QLabel>("jogSpeedValue")->text(), QString::fromUtf8(text));
    }
    auto* distance = control<QSlider>("jogDistanceSlider");
    distance->setValue(12);
    EXPECT_EQ(control<QLabel>("jogDistanceValue")->text(),
              show_fixed4(Machine::jog_distance_mm(12)));
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

    control<QTabWidget>("filePages")->setCurrentIndex(0);
    control<QSpinBox>("zoomSpin")->setValue(12);
    control<QCheckBox>("autoZoomCheck")->setChecked(true);
    control<QCheckBox>("idleMovesCheck")->setChecked(true);
    control<QCheckBox>("returnToOriginCheck")->setChecked(false);
    control<QComboBox>("portCombo")->setEditText(QStringLiteral("$3bc"));
    EXPECT_EQ(panel.file_page(), 0);
    EXPECT_EQ(panel.preview_zoom(), 12);
    EXPECT_TRUE(panel.auto_zoom());
    EXPECT_TRUE(panel.idle_moves());
    EXPECT_FALSE(panel.return_to_origin());
    EXPECT_EQ(panel.field_text(Field::Port), QStringLiteral("$3bc"));  // as typed
}

TEST_F(MainWindowTest, PinTestWritesTheByteToThePortShown) {
    create_sim(true, true, true);
    pass_splash();
    sim->clear_write_log();
    control<QCheckBox>("pinCheck1")->setChecked(true);
    control<QCheckBox>("pinCheck8")->setChecked(true);
    QTest::mouseClick(control<QPushButton>("pinTestButton"), Qt::LeftButton);
    EXPECT_EQ(control<QLabel>("pinTestValue")->text(), QStringLiteral("129"));
    ASSERT_EQ(sim->write_log().size(), 1u);
    EXPECT_EQ(sim->write_log()[0].address, PORT_3BC | REG_DATA);
    EXPECT_EQ(sim->write_log()[0].value, 129);

    // The port is whatever the box shows at the moment of the write.
    control<QComboBox>("portCombo")->setCurrentIndex(2);
    for (int i = 1; i <= 8; ++i) {
        control<QCheckBox>(qPrintable(QStringLiteral("pinCheck%1").arg(i)))->setChecked(true);
    }
    form->send_pin_test();
    EXPECT_EQ(control<QLabel>("pinTestValue")->text(), QStringLiteral("255"));
    ASSERT_EQ(sim->write_log().size(), 2u);
    EXPECT_EQ(sim->write_log()[1].address, PORT_278 | REG_DATA);
    EXPECT_EQ(sim->write_log()[1].value, 255);
}

TEST_F(MainWindowTest, NewCoordinatesAndZeroButtons) {
    create();
    pass_splash();
    control<QLineEdit>("newPositionXEdit")->setText(QStringLiteral("12.5"));
    control<QLineEdit>("newPositionYEdit")->setText(QStringLiteral("-3"));
    QTest::mouseClick(control<QPushButton>("acceptNewPositionButton"), Qt::LeftButton);
    EXPECT_EQ(form->machine().state().pos_x, 12.5);
    EXPECT_EQ(form->machine().state().pos_y, -3.0);
    EXPECT_EQ(control<QLineEdit>("positionXDisplay")->text(), QStringLiteral("12.5"));  // as typed
    EXPECT_EQ(control<QLineEdit>("positionYDisplay")->text(), QStringLiteral("-3"));

    QTest::mouseClick(control<QPushButton>("zeroXButton"), Qt::LeftButton);
    EXPECT_EQ(form->machine().state().pos_x, 0.0);
    EXPECT_EQ(control<QLineEdit>("positionXDisplay")->text(), QStringLiteral("0"));
    EXPECT_EQ(control<QLineEdit>("positionYDisplay")->text(), QStringLiteral("-3"));
    EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(MainWindowTest, AbandonedOperationIsShownAsAnError) {
    create();
    pass_splash();
    control<QLineEdit>("newPositionXEdit")->setText(QStringLiteral("7"));
    control<QLineEdit>("newPositionYEdit")->setText(QStringLiteral("abc"));
    QTest::mouseClick(control<QPushButton>("acceptNewPositionButton"), Qt::LeftButton);
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("'abc' is not a valid floating point value"));
    EXPECT_EQ(desktop.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(form->machine().state().pos_x, 0.0);  // none stored: all three are read first
    EXPECT_EQ(control<QLineEdit>("positionXDisplay")->text(), QStringLiteral("0.0"));
}

TEST_F(MainWindowTest, PositionDisplaysAreThrottledButEndOnTheLatestTexts) {
    create();
    WindowOperator& op = form->window_operator();
    op.show_position_texts(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"));
    EXPECT_EQ(control<QLineEdit>("positionXDisplay")->text(),
              QStringLiteral("1"));  // first at once
    for (int step = 2; step <= 500; ++step) {
        op.show_position_texts(QString::number(step), QStringLiteral("2"), QStringLiteral("3"));
    }
    EXPECT_EQ(control<QLineEdit>("positionXDisplay")->text(), QStringLiteral("1"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return control<QLineEdit>("positionXDisplay")->text() == QStringLiteral("500"); },
        2000));
}

TEST_F(MainWindowTest, TrackWindowAppearsOnTheFirstPositionUpdate) {
    create();
    TrackWindow track(form->track_picture());
    form->window_operator().set_track_window(&track);
    EXPECT_FALSE(track.isVisible());
    form->machine().view_xyz();
    EXPECT_TRUE(track.isVisible());
}

TEST_F(MainWindowTest, ContinueQuestionWaitsForTheAnswer) {
    create();
    StopDialog stop_dialog;
    form->window_operator().set_stop_dialog(&stop_dialog);
    const auto answer_with = [&](const char* button) {
        QTimer::singleShot(0, &stop_dialog, [&stop_dialog, button] {
            ASSERT_TRUE(stop_dialog.isVisible());
            QTest::mouseClick(stop_dialog.findChild<QPushButton*>(QString::fromLatin1(button)),
                              Qt::LeftButton);
        });
        return form->window_operator().ask_continue();
    };
    EXPECT_TRUE(answer_with("yesButton"));
    EXPECT_TRUE(stop_dialog.isHidden());
    EXPECT_FALSE(answer_with("noButton"));

    // Closed with the close box after an earlier "ДА": not taken as a yes.
    EXPECT_TRUE(answer_with("yesButton"));
    QTimer::singleShot(0, &stop_dialog, [&stop_dialog] { stop_dialog.close(); });
    EXPECT_FALSE(form->window_operator().ask_continue());
}

TEST_F(MainWindowTest, ApplyWithABadFieldNamesItAndAppliesNothing) {
    create();
    pass_splash();
    const QByteArray cfg_before = [this] {
        QFile file(scratch.path(QStringLiteral("cfg.ini")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }();
    control<QLineEdit>("ratioXEdit")->setText(QStringLiteral("0,005"));
    control<QLineEdit>("travelLimitYEdit")->setText(QStringLiteral("сто"));
    QTest::mouseClick(control<QPushButton>("applySettingsButton"), Qt::LeftButton);

    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_TRUE(desktop.boxes[0].text.contains(QStringLiteral("сто")))
        << desktop.boxes[0].text.toStdString();
    const MachineState& state = form->machine().state();
    EXPECT_EQ(state.mm_per_step[AXIS_X], 0.0025);
    EXPECT_EQ(state.travel_limit[AXIS_Y], 100);
    QFile file(scratch.path(QStringLiteral("cfg.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), cfg_before);
}

TEST_F(MainWindowTest, ApplyTakesTheEditedParameters) {
    create();
    pass_splash();
    control<QLineEdit>("ratioXEdit")->setText(QStringLiteral("0.005"));
    control<QLineEdit>("travelLimitZEdit")->setText(QStringLiteral("60"));
    control<QLineEdit>("backlashYEdit")->setText(QStringLiteral("0,1"));
    QTest::mouseClick(control<QPushButton>("applySettingsButton"), Qt::LeftButton);
    EXPECT_TRUE(desktop.boxes.empty());
    const MachineState& state = form->machine().state();
    EXPECT_EQ(state.mm_per_step[AXIS_X], 0.005);
    EXPECT_EQ(state.travel_limit[AXIS_Z], 60);
    EXPECT_EQ(state.backlash[AXIS_Y], 0.1);
    EXPECT_EQ(control<QLineEdit>("ratioXEdit")->text(), QStringLiteral("0,005"));  // shown again
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
    control<QComboBox>("jobKindCombo")->setCurrentIndex(1);
    set("speedXyEdit", "3,25");
    set("drillDepthEdit", "1,6");
    set("markerDiameterEdit", "07");
    control<QCheckBox>("returnToOriginCheck")->setChecked(false);
    const QString path = scratch.path(QStringLiteral("job.ini"));
    desktop.save_answers.push_back(path);
    QTest::mouseClick(control<QPushButton>("saveParametersButton"), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(path));

    control<QComboBox>("jobKindCombo")->setCurrentIndex(0);  // writes the drawing defaults
    set("drillDepthEdit", "9");
    set("markerDiameterEdit", "05");
    control<QCheckBox>("returnToOriginCheck")->setChecked(true);
    desktop.open_answers.push_back(path);
    QTest::mouseClick(control<QPushButton>("loadParametersButton"), Qt::LeftButton);

    EXPECT_TRUE(desktop.boxes.empty());
    EXPECT_EQ(get("speedXyEdit"), QStringLiteral("3,25"));
    EXPECT_EQ(get("speedXyRapidEdit"), JobTexts::drilling().speed_xy_rapid);
    EXPECT_EQ(get("speedZDownEdit"), JobTexts::drilling().speed_z_down);
    EXPECT_EQ(get("drillDepthEdit"), QStringLiteral("1,6"));
    EXPECT_EQ(control<QLineEdit>("markerDiameterEdit")->displayText(), QStringLiteral("0,7"));
    EXPECT_EQ(form->window_operator().field_text(Field::MarkerDiameter), QStringLiteral("07"));
    EXPECT_FALSE(control<QCheckBox>("returnToOriginCheck")->isChecked());
}

TEST_F(JobParametersTest, CancelledDialogsAndBadFilesChangeNothing) {
    desktop.save_answers.push_back(QString());
    form->save_job_parameters();
    desktop.open_answers.push_back(QString());
    form->load_job_parameters();
    EXPECT_TRUE(desktop.boxes.empty());
    EXPECT_EQ(get("speedXyEdit"), QStringLiteral("e_sped"));

    const QString bad = scratch.path(QStringLiteral("cfg.ini"));  // not a job file
    desktop.open_answers.push_back(bad);
    form->load_job_parameters();
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_TRUE(desktop.boxes[0].text.contains(bad));
    EXPECT_EQ(get("speedXyEdit"), QStringLiteral("e_sped"));
}

}  // namespace
}  // namespace ostrel::testing
