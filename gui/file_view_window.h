// FileViewWindow, the file-view window "Просмотр файла": the DXF and Gerber previews are drawn into
// it.
#pragma once

#include "core/picture.h"

#include <QWidget>
#include <memory>

namespace Ui {
class FileViewWindow;
}

namespace ostrel {

class PictureView;

class FileViewWindow : public QWidget {
    Q_OBJECT

public:
    explicit FileViewWindow(QWidget* parent = nullptr);
    ~FileViewWindow() override;

    // Frame and caption included, as the previews lay out their drawing by it.
    QSize outer_size() const;
    // The picture filling the client area; it takes the window's new size when resized.
    ImagePicture& picture() { return picture_; }
    PictureView& picture_view();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<Ui::FileViewWindow> ui;
    ImagePicture picture_;
};

}  // namespace ostrel
