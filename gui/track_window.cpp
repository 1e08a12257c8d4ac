// TForm3: a window around the track picture; it has no controls and ignores keys.
#include "gui/track_window.h"
#include "gui/window_frame.h"

#include "gui/screen/picture_view.h"
#include "ui_track_window.h"

namespace ostrel {

TForm3::TForm3(ImagePicture& track, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TForm3>()) {
    ui->setupUi(this);
    resize(client_size_for_outer(600, 500));
    move(149, 251);
    // Only the main window's closing ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    // It pops up at the first move: the keyboard must stay with the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    ui->Image1->set_picture(&track);
}

TForm3::~TForm3() = default;

PictureView& TForm3::picture_view() {
    return *ui->Image1;
}

}  // namespace ostrel
