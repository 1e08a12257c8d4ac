// TForm1, the main window: tabs for manual control, jobs, settings, the splash, and their handlers.
#pragma once

#include "core/clock.h"
#include "core/picture.h"
#include "jobs/controller.h"
#include "jobs/job_parameters_file.h"
#include "motion/machine.h"
#include "port/port_backend.h"

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class TForm1;
}

namespace ostrel {

class Desktop;
class TForm2;
class TForm3;
class TF_stop;
class WindowOperator;

// Opens the port back end when the main window is created.
using PortBackendFactory = std::function<std::unique_ptr<PortBackend>()>;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSplashMs = 7000;
    static constexpr int kSplashStepMs = 400;

    // Runs FormCreate: opens the port, lists the ports, applies the settings. Message boxes and
    // file dialogs go through desktop; the step waits are timed on clock.
    TForm1(Desktop& desktop, PortBackendFactory open_backend, Clock& clock,
           QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows created after this one; the machine logic reaches them through here.
    void attach_windows(TF_stop& f_stop, TForm2& form2, TForm3& form3);

    Machine& machine() { return controller_->machine; }
    // What the browse buttons do once a file is chosen: the page's file field takes the path,
    // and a Gerber file's apertures fill the grid.
    void choose_job_file(const QString& path);
    Controller& controller() { return *controller_; }
    ImagePicture& track_picture() { return track_picture_; }
    WindowOperator& window_operator() { return *operator_; }
    TF_stop* f_stop() const { return f_stop_; }
    TForm2* form2() const { return form2_; }
    TForm3* form3() const { return form3_; }

public Q_SLOTS:
    void FormCreate();
    void ProgramsChange();
    void Timer1Timer();
    void Timer4Timer();
    void Image1Click();
    void Image2Click();

    // Tool position box.
    void Button5Click();
    void Button6Click();
    void Button7Click();

    // Manual tab.
    void TrackBar1Change();
    void TrackBar2Change();
    void B_upClick();
    void B_downClick();
    void B_leftClick();
    void B_rightClick();
    void B_z_upClick();
    void B_z_downClick();
    void BitBtn1Click();
    void Button8Click();

    // Program tab.
    void B_risovClick();
    void B_drillClick();
    void Button2Click();  // Save
    void Button3Click();  // Load
    void change_nameClick();
    void Call_V_renderClick();
    void SE_zoomChange();
    void C_autozoomClick();
    void CB_holostClick();
    void Button10Click();

    // Settings tab.
    void Button4Click();
    void Button9Click();  // Применить

    void CB_holostKeyDown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The main window sees key presses before its controls: Esc and Pause ask whether a running
    // move goes on, the arrows and Page Up / Page Down jog on the manual tab.
    bool key_preview(QObject* watched, QKeyEvent* key);
    void render_preview();
    void show_aperture_grid();
    void connect_handlers();
    void set_pictures();
    void show_parameter_texts();
    JobParameterTexts job_parameter_texts() const;
    void show_job_parameter_texts(const JobParameterTexts& texts);
    void show_zero(Axis axis);
    // Runs one handler; an operation abandoned part-way is told to the operator.
    template <typename Body>
    void guarded(Body&& body);

    std::unique_ptr<Ui::TForm1> ui;
    Desktop& desktop_;
    PortBackendFactory open_backend_;
    ImagePicture track_picture_;
    std::unique_ptr<WindowOperator> operator_;
    std::unique_ptr<Controller> controller_;
    std::unique_ptr<GerberFileView> file_view_;
    QTimer* Timer1 = nullptr;
    QTimer* Timer4 = nullptr;
    TF_stop* f_stop_ = nullptr;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
};

}  // namespace ostrel
