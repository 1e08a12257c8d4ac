// The window keeping the operator safe: closing it mid-move, questions about a running move,
// held keys, settings while moving, the save dialog and Qt's own texts.
#include "tests/gui/window_fixture.h"

#include "gui/save_file_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

namespace ostrel::testing {
namespace {

class OperatorSafetyTest : public MachineWindowTest {
protected:
    // The drawing job of the DXF page on a line from the origin to X 150, past the limit.
    void choose_long_line() {
        const QString path = scratch.write(
            QStringLiteral("long.dxf"),
            "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 11\n"
            "150.0\n 21\n0.0\n  0\nENDSEC\n  0\nEOF\n");
        control<QTabWidget>("mainTabs")->setCurrentIndex(1);
        control<QComboBox>("jobKindCombo")->setCurrentIndex(0);
        control<QTabWidget>("filePages")->setCurrentIndex(0);
        control<QLineEdit>("dxfFileEdit")->setText(path);
    }
};

QPushButton* stop_button(StopDialog& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

TEST_F(OperatorSafetyTest, ClosingTheWindowMidJogStopsItForGoodAndEndsTheProgram) {
    control<QSlider>("jogDistanceSlider")->setValue(7);  // 1 mm, 400 steps
    int at_close = -1;
    on_messages(50, [&] {
        at_close = motors().position(AXIS_X);
        form->close();
    });
    QTest::mouseClick(control<QToolButton>("jogXPlusButton"), Qt::LeftButton);
    EXPECT_GT(at_close, 0);
    EXPECT_EQ(motors().position(AXIS_X), at_close);  // not one step after the close
    EXPECT_EQ(desktop.end_requests, std::vector<int>{0});
    EXPECT_TRUE(form->isHidden());
    EXPECT_TRUE(track_window->isHidden());
    // Whatever still reaches the window before the program ends moves nothing.
    form->jog_y_plus();
    form->go_to_point();
    EXPECT_EQ(motors().position(AXIS_Y), 0);
    EXPECT_EQ(motors().position(AXIS_X), at_close);
}

TEST_F(OperatorSafetyTest, ClosingTheWindowWhileContinueIsAskedEndsTheJobAndItsReturn) {
    desktop.question_answers.push_back(true);  // the line leaves the travel limits
    choose_long_line();
    int at_close = -1;
    on_messages(50, [&] {
        QTimer::singleShot(0, &stop_dialog, [&] {
            ASSERT_TRUE(stop_dialog.isVisible());
            at_close = motors().position(AXIS_X);
            form->close();
        });
        QWidget* focus = QApplication::focusWidget();
        press(focus != nullptr ? focus : form.get(), Qt::Key_Escape);
    });
    QTest::mouseClick(control<QPushButton>("drawButton"), Qt::LeftButton);
    EXPECT_GT(at_close, 0);
    EXPECT_TRUE(stop_dialog.isHidden());
    EXPECT_EQ(motors().position(AXIS_X), at_close);
    EXPECT_EQ(motors().backward_steps(AXIS_Z), 0);  // no raise for the way back
    EXPECT_EQ(desktop.end_requests, std::vector<int>{0});
}

TEST_F(OperatorSafetyTest, ClosingTheWindowAtRestEndsTheProgramWithTheTrackWindowOpen) {
    form->close();
    EXPECT_EQ(desktop.end_requests, std::vector<int>{0});
    EXPECT_TRUE(track_window->isHidden());
}

TEST_F(OperatorSafetyTest, WhileContinueIsOpenNothingStartsAMoveAndNoStopsTheJog) {
    QWidget* focus = show_manual_tab();
    control<QSlider>("jogDistanceSlider")->setValue(7);
    int asked_at = -1;
    on_messages(50, [&] {
        QTimer::singleShot(0, &stop_dialog, [&] {
            ASSERT_TRUE(stop_dialog.isVisible());
            asked_at = motors().position(AXIS_X);
            QTest::mouseClick(control<QToolButton>("jogZUpButton"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>("goToPointButton"), Qt::LeftButton);
            form->run_draw_job();
            form->apply_settings();
            EXPECT_EQ(motors().position(AXIS_X), asked_at);
            QTest::mouseClick(stop_button(stop_dialog, "noButton"), Qt::LeftButton);
        });
        press(focus, Qt::Key_Escape);
    });
    QTest::mouseClick(control<QToolButton>("jogXPlusButton"), Qt::LeftButton);
    ASSERT_GT(asked_at, 0);
    EXPECT_EQ(motors().position(AXIS_X), asked_at);
    EXPECT_EQ(motors().position(AXIS_Z), 0);
    ASSERT_EQ(desktop.boxes.size(), 4u);
    for (const ShownBox& box : desktop.boxes) {
        EXPECT_EQ(box.text, Machine::busy_message());
    }
    EXPECT_FALSE(form->machine().state().stop_requested);
}

TEST_F(OperatorSafetyTest, AHeldArrowKeyJogsOnceHoweverItsRepeatsAreMarked) {
    QWidget* focus = show_manual_tab();
    struct Event {
        bool down;
        std::uint64_t time_ms;
        bool marked_repeat = false;
    };
    struct Case {
        const char* what;
        std::vector<Event> events;
        int jogs;
    };
    const std::vector<Case> cases = {
        {"repeats marked", {{true, 100}, {true, 760, true}, {true, 800, true}, {false, 900}}, 1},
        {"repeats the window system missed",
         {{true, 1000}, {false, 1660}, {true, 1660}, {false, 1700}, {true, 1701}, {false, 1800}},
         1},
        {"repeats as presses alone", {{true, 2000}, {true, 2660}, {true, 2700}, {false, 2800}}, 1},
        {"two taps", {{true, 3000}, {false, 3100}, {true, 3200}, {false, 3300}}, 2},
    };
    int jogs = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const Event& e : c.events) {
            if (e.down) {
                press(focus, Qt::Key_Right, e.marked_repeat, e.time_ms);
            } else {
                release(focus, Qt::Key_Right, e.marked_repeat, e.time_ms);
            }
        }
        jogs += c.jogs;
        EXPECT_EQ(motors().position(AXIS_X), 4 * jogs);  // 0.01 mm a jog
    }
    // A key let go while another program had the keyboard jogs again at its next press.
    press(focus, Qt::Key_Left, false, 4000);
    QApplicationStateChangeEvent away(Qt::ApplicationInactive);
    QApplication::sendEvent(qApp, &away);
    press(focus, Qt::Key_Left, false, 9000);
    EXPECT_EQ(motors().position(AXIS_X), 4 * jogs - 8);
}

TEST_F(OperatorSafetyTest, TheTravelLimitQuestionComesOnceAJogAndNoStopsIt) {
    form->machine().state().travel_limit[AXIS_X] = 0;
    control<QSlider>("jogDistanceSlider")->setValue(7);
    desktop.question_answers = {false, true};
    QTest::mouseClick(control<QToolButton>("jogXPlusButton"), Qt::LeftButton);
    EXPECT_EQ(motors().position(AXIS_X), 1);
    QTest::mouseClick(control<QToolButton>("jogXPlusButton"), Qt::LeftButton);
    EXPECT_EQ(motors().position(AXIS_X), 401);
    ASSERT_EQ(desktop.boxes.size(), 2u);
    for (const ShownBox& box : desktop.boxes) {
        EXPECT_TRUE(box.question);
        EXPECT_EQ(box.icon, QMessageBox::Warning);
        EXPECT_EQ(box.text, QStringLiteral("Выход за пределы, продолжить?"));
    }
}

TEST_F(OperatorSafetyTest, AJobBeyondTheLimitsIsAskedBeforeItMoves) {
    choose_long_line();
    desktop.question_answers.push_back(false);
    QTest::mouseClick(control<QPushButton>("drawButton"), Qt::LeftButton);
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_TRUE(desktop.boxes[0].question);
    EXPECT_TRUE(desktop.boxes[0].text.contains(QStringLiteral("X: от 0 до 150 мм, предел 100 мм")))
        << desktop.boxes[0].text.toStdString();
    EXPECT_TRUE(sim->write_log().empty());
}

TEST_F(OperatorSafetyTest, ApplyDuringAJogIsRefused) {
    control<QSlider>("jogDistanceSlider")->setValue(7);
    on_messages(50, [&] {
        control<QLineEdit>("ratioXEdit")->setText(QStringLiteral("0,005"));
        form->apply_settings();
    });
    QTest::mouseClick(control<QToolButton>("jogXPlusButton"), Qt::LeftButton);
    EXPECT_EQ(motors().position(AXIS_X), 400);
    EXPECT_EQ(form->machine().state().mm_per_step[AXIS_X], 0.0025);
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, Machine::busy_message());
}

TEST_F(MainWindowTest, SaveAsksForTheIniSuffixAndKeepsTheSettingsFile) {
    create();
    desktop.save_answers.push_back(scratch.path(QStringLiteral("job.ini")));
    form->save_job_parameters();
    ASSERT_EQ(desktop.save_requests.size(), 1u);
    EXPECT_EQ(desktop.save_requests[0].default_suffix, QStringLiteral("ini"));
    EXPECT_EQ(desktop.save_requests[0].kept_file, scratch.path(QStringLiteral("cfg.ini")));
}

TEST_F(MainWindowTest, TheSaveDialogAddsTheSuffixAndRefusesTheSettingsFile) {
    create();
    struct Case {
        const char* typed;
        const char* written;  // null: refused, the dialog stays open
    };
    for (const Case c : {Case{"cfg", nullptr}, Case{"cfg.ini", nullptr}, Case{"job", "job.ini"},
                         Case{"plan.txt", "plan.txt"}}) {
        SCOPED_TRACE(c.typed);
        desktop.boxes.clear();
        SaveFileDialog dialog(desktop, form.get(), QStringLiteral("Save"),
                              QStringLiteral("(*.ini)"), QStringLiteral("ini"),
                              scratch.path(QStringLiteral("cfg.ini")));
        dialog.setDirectory(scratch.path());
        dialog.selectFile(QString::fromLatin1(c.typed));
        dialog.accept();
        if (c.written == nullptr) {
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            ASSERT_EQ(desktop.boxes.size(), 1u);
            EXPECT_EQ(desktop.boxes[0].text, SaveFileDialog::refusal(QStringLiteral("cfg.ini")));
        } else {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(dialog.selectedFiles(),
                      QStringList{scratch.path(QString::fromLatin1(c.written))});
            EXPECT_TRUE(desktop.boxes.empty());
        }
    }
}

TEST(QtDesktopTest, TheQuestionBoxSaysYesOnlyForDa) {
    QtDesktop desktop;
    // Answers the box once it is open: with the button of that caption, or by closing it.
    const auto ask = [&desktop](const QString& button) {
        QTimer::singleShot(0, [button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == button) {
                    b->click();
                    return;
                }
            }
            box->close();
        });
        return desktop.question_box(nullptr, QStringLiteral("Ostrel 7"),
                                    QStringLiteral("Выход за пределы, продолжить?"),
                                    QMessageBox::Warning);
    };
    EXPECT_TRUE(ask(QStringLiteral("ДА")));
    EXPECT_FALSE(ask(QStringLiteral("НЕТ")));
    EXPECT_FALSE(ask(QString()));  // closed
}

TEST(QtTranslationsTest, QtsOwnButtonsSpeakRussian) {
    const std::unique_ptr<QTranslator> russian = install_qt_translations();
    ASSERT_NE(russian, nullptr) << "install the Debian package qt6-translations-l10n";
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("Сохранить"));
}

}  // namespace
}  // namespace ostrel::testing
