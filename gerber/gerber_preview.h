// The Gerber preview "Проспотр": a measuring pass, the fit to the file-view window, a drawing pass.
#pragma once

#include "core/file_view.h"
#include "core/picture.h"
#include "gerber/gerber_interpreter.h"
#include "motion/machine.h"

#include <QSize>

namespace ostrel {

class GerberPreview {
public:
    // The smallest extents the fit works with: a board is never drawn larger than 20 x 20 mm.
    static constexpr double kLeastExtent = 20;
    // Share of the window the drawing takes in its tighter direction.
    static constexpr double kFill = 0.8;

    GerberPreview(Machine& machine, GerberInterpreter& interpreter)
        : machine_(machine), interpreter_(interpreter) {}

    // "Проспотр": the file in gerberFileEdit in preview mode, once at 1 pixel per mm to find its
    // extents, then, on a white picture, at the scale that fits it into 80 % of the window. Only
    // the mode switches, the extents and the scale are set first; the other registers, the aperture
    // selection and the pen go on from where they stood. Leaves every mode off. Refused with a
    // message while a job or a move runs. A file that can't be read throws OperationAbandoned.
    void show_gerber_preview(FileView& view);

    // One pass over the file in gerberFileEdit in the modes switched on: every line but the "%ADD"
    // ones goes to the interpreter. False, after telling the operator, when there is no file.
    bool interpret_file(FileView& view);

    // Pixels per mm that fit extents (mm) into the window's outer size.
    static double fit_scale(double view_max_x, double view_max_y, QSize outer_size);

private:
    Machine& machine_;
    GerberInterpreter& interpreter_;
};

}  // namespace ostrel
