// TForm2: a freely resizable window whose whole client area is the preview picture.
#include "gui/file_view_window.h"
#include "gui/window_frame.h"

#include "gui/screen/picture_view.h"
#include "ui_file_view_window.h"

namespace ostrel {

TForm2::TForm2(QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::TForm2>()),
      picture_(client_size_for_outer(395, 347)) {
    ui->setupUi(this);
    resize(client_size_for_outer(395, 347));
    move(387, 224);
    setAttribute(Qt::WA_QuitOnClose, false);
    ui->Image1->setGeometry(rect());
    ui->Image1->set_picture_follows_size(true);
    ui->Image1->set_picture(&picture_);
}

TForm2::~TForm2() = default;

QSize TForm2::outer_size() const {
    return outer_size_for_client(size());
}

void TForm2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ui->Image1->setGeometry(rect());
}

PictureView& TForm2::picture_view() {
    return *ui->Image1;
}

}  // namespace ostrel
