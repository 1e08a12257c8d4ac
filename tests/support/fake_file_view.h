// The file-view window for tests: its design size, around any picture, counting its showings.
#pragma once

#include "core/file_view.h"

namespace ostrel::testing {

class FakeFileView final : public FileView {
public:
    explicit FakeFileView(Picture& picture) : picture_(picture) {}
    void show() override { ++shown; }
    Picture& picture() override { return picture_; }
    QSize outer_size() const override { return outer; }

    int shown = 0;
    QSize outer{395, 347};

private:
    Picture& picture_;
};

}  // namespace ostrel::testing
