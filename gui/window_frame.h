// The frame and caption bar a window's outer size includes, for windows laid out by outer size.
#pragma once

#include <QSize>

namespace ostrel {

// A common desktop frame: 4 pixels each side and a 23-pixel caption bar.
inline constexpr QSize kWindowFrame{8, 27};

inline QSize client_size_for_outer(int outer_width, int outer_height) {
    return QSize(outer_width, outer_height) - kWindowFrame;
}

inline QSize outer_size_for_client(QSize client) {
    return client + kWindowFrame;
}

}  // namespace ostrel
