// The file-view window as the previews and the jobs see it: a picture in a window of some size.
#pragma once

#include "core/picture.h"

#include <QSize>

namespace ostrel {

// The file-view window as the previews and the Gerber job need it.
class FileView {
public:
    virtual ~FileView() = default;
    // Shows the window (no change when it is shown already) and gives it the input focus.
    virtual void show() = 0;
    // The picture that fills its client area.
    virtual Picture& picture() = 0;
    // Its outer width and height, frame and title included (395 x 347 at the design size).
    virtual QSize outer_size() const = 0;
};

}  // namespace ostrel
