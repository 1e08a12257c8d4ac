// TForm2: a freely resizable window whose whole client area is the preview picture.
#include "dxf/video.h"

#include "app/picture_view.h"
#include "ui_video.h"

namespace ostrel {

namespace {
// Frame and caption bar of the window's outer size 395 × 347.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 27;
}  // namespace

TForm2::TForm2(QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::TForm2>()),
      picture_(QSize(395 - kFrameWidth, 347 - kFrameHeight)) {
    ui->setupUi(this);
    resize(395 - kFrameWidth, 347 - kFrameHeight);
    move(387, 224);
    setAttribute(Qt::WA_QuitOnClose, false);
    ui->Image1->setGeometry(rect());
    ui->Image1->set_picture_follows_size(true);
    ui->Image1->set_picture(&picture_);
}

TForm2::~TForm2() = default;

void TForm2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ui->Image1->setGeometry(rect());
}

PictureView& TForm2::picture_view() {
    return *ui->Image1;
}

}  // namespace ostrel
