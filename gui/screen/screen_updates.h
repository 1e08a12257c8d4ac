// How the screen follows a moving machine: the one repaint rate, and where each step's change goes.
//
// A motor step changes the three position displays, the progress gauge and the track picture, and
// the next step is due within microseconds. A repaint between two steps would delay the next one
// by its whole cost, so the windows are drawn inside the steps' busy-waits instead:
//
//  1. The engine's step: Machine::view_xyz hands the numbers to the operator (WindowOperator →
//     PositionDisplays, which keeps them unformatted and asks for a repaint of the main window),
//     and TrackView draws a line on the track's ImagePicture, which keeps the segment and tells
//     the track window's PictureView the changed region.
//  2. The engine's wait: StepEngine::step_delay offers the wait to the operator (during_wait).
//     From the first wait on, WaitPainter holds back every window's repaint request; in each wait
//     PaintSchedule picks the held windows whose repaint fits in what is left of it (or that have
//     waited too long), and WaitPainter draws them, first running each window's hook: the
//     displays set their texts, the picture view hands over its changed region.
//  3. The end of the steps: the displays' slow tick sees no wait since the last one and releases
//     everything held; a message box or the stop question releases it at once.
//
// Outside moves, a change shows at once and later ones follow at most once per kRepaintInterval.
#pragma once

#include <chrono>

namespace ostrel {

// The screen's rate, not the step rate: a window is drawn at most this often.
inline constexpr std::chrono::milliseconds kRepaintInterval{16};

// While the machine steps the waits draw the windows, and a tick only notices when the stepping
// has stopped: a rare tick, since every timer event costs a step tens of microseconds.
inline constexpr std::chrono::milliseconds kSteppingTick{100};

}  // namespace ostrel
