// FileViewWindow: a freely resizable window whose whole client area is the preview picture.
#include "gui/file_view_window.h"
#include "gui/window_frame.h"

#include "gui/screen/picture_view.h"
#include "ui_file_view_window.h"

namespace ostrel {

FileViewWindow::FileViewWindow(QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::FileViewWindow>()),
      picture_(client_size_for_outer(395, 347)) {
    ui->setupUi(this);
    resize(client_size_for_outer(395, 347));
    move(387, 224);
    setAttribute(Qt::WA_QuitOnClose, false);
    ui->pictureView->setGeometry(rect());
    ui->pictureView->set_picture_follows_size(true);
    ui->pictureView->set_picture(&picture_);
}

FileViewWindow::~FileViewWindow() = default;

QSize FileViewWindow::outer_size() const {
    return outer_size_for_client(size());
}

void FileViewWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ui->pictureView->setGeometry(rect());
}

PictureView& FileViewWindow::picture_view() {
    return *ui->pictureView;
}

}  // namespace ostrel
