// Choices kept between starts: a window closed with its choices changed, a new one that finds
// them, and a kept port the machine no longer has.
#include "gui/kept_choices.h"
#include "tests/gui/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QSlider>

namespace ostrel {
namespace {

using testing::MainWindowTest;

class KeptChoicesTest : public MainWindowTest {
protected:
    void start(bool port_3bc = true) {
        create_sim(port_3bc, true, true);
        pass_splash();
        form->keep_choices_in(&store);
        form->restore_choices(store);
    }
    void close_window() {
        QCloseEvent close;
        QApplication::sendEvent(form.get(), &close);
        form.reset();
    }
    QSettings store{scratch.path(QStringLiteral("choices.ini")), QSettings::IniFormat};
};

TEST_F(KeptChoicesTest, WhatWasChosenIsThereAtTheNextStart) {
    start();
    control<QComboBox>("portCombo")->setCurrentText(QStringLiteral("$278"));
    control<QSlider>("jogSpeedSlider")->setValue(17);
    control<QSlider>("jogDistanceSlider")->setValue(3);
    control<QLineEdit>("gerberFileEdit")->setText(QStringLiteral("/boards/b.gbr"));
    control<QCheckBox>("gerberStandardCheck")->setChecked(true);
    control<QComboBox>("placementOriginCombo")->setCurrentIndex(1);
    control<QLineEdit>("offsetXEdit")->setText(QStringLiteral("12,5"));
    control<QCheckBox>("mirrorXCheck")->setChecked(true);
    control<QLineEdit>("speedXyEdit")->setText(QStringLiteral("9"));  // a job parameter
    close_window();

    start();
    EXPECT_EQ(control<QComboBox>("portCombo")->currentText(), QStringLiteral("$278"));
    EXPECT_EQ(control<QSlider>("jogSpeedSlider")->value(), 17);
    EXPECT_EQ(control<QSlider>("jogDistanceSlider")->value(), 3);
    EXPECT_EQ(control<QLineEdit>("gerberFileEdit")->text(), QStringLiteral("/boards/b.gbr"));
    EXPECT_TRUE(control<QCheckBox>("gerberStandardCheck")->isChecked());
    EXPECT_EQ(control<QComboBox>("placementOriginCombo")->currentIndex(), 1);
    EXPECT_EQ(control<QLineEdit>("offsetXEdit")->text(), QStringLiteral("12,5"));
    EXPECT_TRUE(control<QCheckBox>("mirrorXCheck")->isChecked());
    // The job parameters have their own files: the kind's defaults, as at every start.
    EXPECT_NE(control<QLineEdit>("speedXyEdit")->text(), QStringLiteral("9"));
    EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(KeptChoicesTest, AKeptPortTheMachineNoLongerHasFallsBackWithOneMessage) {
    start();
    control<QComboBox>("portCombo")->setCurrentText(QStringLiteral("$3BC"));
    close_window();

    start(false);  // the machine has lost its port at 3BC
    const QString first = control<QComboBox>("portCombo")->itemText(0);
    EXPECT_EQ(control<QComboBox>("portCombo")->currentText(), first);
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_TRUE(desktop.boxes[0].text.contains(QStringLiteral("$3BC")))
        << desktop.boxes[0].text.toStdString();
}

TEST_F(KeptChoicesTest, AnEmptyStoreChangesNothing) {
    create_sim(true, true, true);
    pass_splash();
    const KeptChoices before = form->kept_choices();
    form->restore_choices(store);
    const KeptChoices after = form->kept_choices();
    EXPECT_EQ(after.port, before.port);
    EXPECT_EQ(after.jog_speed, before.jog_speed);
    EXPECT_EQ(after.dxf_file, before.dxf_file);
    EXPECT_EQ(after.reading.origin, before.reading.origin);
    EXPECT_TRUE(desktop.boxes.empty());
}

}  // namespace
}  // namespace ostrel
