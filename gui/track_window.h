// TrackWindow, the track window "Virt_cut": the tool's path as the machine draws it while it moves.
#pragma once

#include "core/picture.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TrackWindow;
}

namespace ostrel {

class PictureView;

class TrackWindow : public QWidget {
    Q_OBJECT

public:
    // Shows track (owned by the main window, which outlives this one).
    explicit TrackWindow(ImagePicture& track, QWidget* parent = nullptr);
    ~TrackWindow() override;

    PictureView& picture_view();

private:
    std::unique_ptr<Ui::TrackWindow> ui;
};

}  // namespace ostrel
