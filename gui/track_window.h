// TForm3, the track window "Virt_cut": the tool's path as the machine draws it while it moves.
#pragma once

#include "core/picture.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TForm3;
}

namespace ostrel {

class PictureView;

class TForm3 : public QWidget {
    Q_OBJECT

public:
    // Shows track (owned by the main window, which outlives this one).
    explicit TForm3(ImagePicture& track, QWidget* parent = nullptr);
    ~TForm3() override;

    PictureView& picture_view();

private:
    std::unique_ptr<Ui::TForm3> ui;
};

}  // namespace ostrel
