// The window's true-size settings as a standard-mode job or preview reads them at its start.
#pragma once

#include "core/operator.h"
#include "core/placement.h"
#include "dxf/dxf_drawing.h"
#include "gerber/board_jobs.h"
#include "motion/machine.h"

namespace ostrel {

// The placement row: origin, offset (typed with a comma or a point) and mirror. An offset that
// is not a number abandons the operation with the number rule's message, the field focused.
Placement read_placement(Machine& machine);

// The DXF page's settings: placement, unit (an unknown unit name abandons), circles as holes.
DxfStandardSettings read_dxf_settings(Machine& machine);

// The Gerber page's settings: placement, the marker's diameter from its field, the drill depth
// given, and the question before each drill asked of the operator as a yes/no question.
BoardJobSettings read_board_settings(Machine& machine, double drill_depth_mm);

// After a job placed by the drawing's corner: the offset it used, kept in the window.
void keep_corner_offset(Machine& machine, const Placement& placement, PointMm used);

}  // namespace ostrel
