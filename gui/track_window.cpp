// TrackWindow: a window around the track picture; it has no controls and ignores keys.
#include "gui/track_window.h"
#include "gui/window_frame.h"

#include "gui/screen/picture_view.h"
#include "ui_track_window.h"

namespace ostrel {

TrackWindow::TrackWindow(ImagePicture& track, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TrackWindow>()) {
    ui->setupUi(this);
    resize(client_size_for_outer(600, 500));
    move(149, 251);
    // Only the main window's closing ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    // It pops up at the first move: the keyboard must stay with the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    ui->pictureView->set_picture(&track);
}

TrackWindow::~TrackWindow() = default;

PictureView& TrackWindow::picture_view() {
    return *ui->pictureView;
}

}  // namespace ostrel
