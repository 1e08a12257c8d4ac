// MainWindow, the main window: tabs for manual control, jobs, settings, the splash, and their
// handlers.
#pragma once

#include "core/clock.h"
#include "core/picture.h"
#include "gui/kept_choices.h"
#include "jobs/controller.h"
#include "jobs/job_parameters_file.h"
#include "motion/held_keys.h"
#include "motion/machine.h"
#include "port/port_backend.h"

#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class MainWindow;
}

namespace ostrel {

class Desktop;
class FileViewWindow;
class TrackWindow;
class StopDialog;
class WindowOperator;

// Opens the port back end when the main window is created.
using PortBackendFactory = std::function<std::unique_ptr<PortBackend>()>;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSplashMs = 7000;
    static constexpr int kSplashStepMs = 400;

    // Runs start_up: opens the port, lists the ports, applies the settings. Message boxes and
    // file dialogs go through desktop; the step waits are timed on clock.
    MainWindow(Desktop& desktop, PortBackendFactory open_backend, Clock& clock,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The windows created after this one; the machine logic reaches them through here.
    void attach_windows(StopDialog& stop_dialog, FileViewWindow& file_view_window,
                        TrackWindow& track_window);

    Machine& machine() { return controller_->machine; }
    // What the browse buttons do once a file is chosen: the page's file field takes the path,
    // and a Gerber file's apertures fill the grid.
    void choose_job_file(const QString& path);
    Controller& controller() { return *controller_; }
    ImagePicture& track_picture() { return track_picture_; }
    WindowOperator& window_operator() { return *operator_; }
    StopDialog* stop_dialog() const { return stop_dialog_; }

    // The choices kept from the last start: the port (with one message when it is gone), the jog
    // sliders, the dialogs' folders, the last job files (in their fields, not loaded), the
    // reading of each page, the windows' places.
    void restore_choices(QSettings& store);
    // Where closing the window keeps the choices; none by default (tests keep nothing).
    void keep_choices_in(QSettings* store) { choice_store_ = store; }
    KeptChoices kept_choices() const;
    FileViewWindow* file_view_window() const { return file_view_window_; }
    TrackWindow* track_window() const { return track_window_; }

public Q_SLOTS:
    void start_up();
    void job_kind_changed();
    void hide_splash();
    void splash_progress_tick();
    void open_guide();
    void open_readme();

    // Tool position box.
    void zero_x();
    void zero_y();
    void zero_z();

    // Manual tab.
    void jog_speed_changed();
    void jog_distance_changed();
    void jog_y_plus();
    void jog_y_minus();
    void jog_x_minus();
    void jog_x_plus();
    void jog_z_up();
    void jog_z_down();
    void go_to_point();
    void accept_new_position();

    // Program tab.
    void run_draw_job();
    void run_drill_job();
    void save_job_parameters();  // Save
    void load_job_parameters();  // Load
    void browse_job_file();
    void show_dxf_preview();
    // The standard-mode checks, the page or the placement origin changed.
    void reading_mode_changed();
    void zoom_changed();
    void auto_zoom_toggled();
    void idle_moves_toggled();
    void show_gerber_preview();
    // "Просмотр" of the G-code page: the preview, and its extents and time on the page.
    void show_gcode_preview();

    // Settings tab.
    void send_pin_test();
    void apply_settings();  // Применить

    void idle_moves_key_pressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing the main window ends the program: a running move or job stops as on "НЕТ", the
    // engine unwinds, and the program ends; nothing steps after the window is gone.
    void closeEvent(QCloseEvent* event) override;

private:
    // The main window sees key presses before its controls: Esc and Pause ask whether a running
    // move goes on, the arrows and Page Up / Page Down jog on the manual tab. Each press of a key
    // counts once, however long it is held.
    bool key_preview(QObject* watched, QKeyEvent* key);
    void render_preview();
    void show_aperture_grid();
    void connect_handlers();
    void set_pictures();
    void show_parameter_texts();
    JobParameterTexts job_parameter_texts() const;
    void show_job_parameter_texts(const JobParameterTexts& texts);
    // The reading fields alone: standard modes, unit, circles, the placement row.
    void show_reading_texts(const JobParameterTexts& texts);
    void show_zero(Axis axis);
    // Runs one handler; an operation abandoned part-way is told to the operator.
    template <typename Body>
    void guarded(Body&& body);

    std::unique_ptr<Ui::MainWindow> ui;
    Desktop& desktop_;
    PortBackendFactory open_backend_;
    ImagePicture track_picture_;
    std::unique_ptr<WindowOperator> operator_;
    std::unique_ptr<Controller> controller_;
    std::unique_ptr<FileView> file_view_;
    QTimer* splashTimer = nullptr;
    QTimer* splashProgressTimer = nullptr;
    StopDialog* stop_dialog_ = nullptr;
    FileViewWindow* file_view_window_ = nullptr;
    TrackWindow* track_window_ = nullptr;
    QSettings* choice_store_ = nullptr;
    QString job_folder_;         // where the job-file dialog opens
    QString parameters_folder_;  // where "Load" opens
    HeldKeys held_keys_;
};

}  // namespace ostrel
