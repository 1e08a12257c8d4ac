// Typing the job parameters into the fake panel.
#include "tests/support/job_texts.h"

namespace ostrel::testing {

void type_job_parameters(FakePanel& panel, const JobTexts& texts) {
    panel.texts[Field::SpeedXy] = texts.speed_xy;
    panel.texts[Field::SpeedXyRapid] = texts.speed_xy_rapid;
    panel.texts[Field::ZTravel] = texts.z_travel;
    panel.texts[Field::SpeedZUp] = texts.speed_z_up;
    panel.texts[Field::SpeedZDown] = texts.speed_z_down;
    if (texts.drill_depth) {
        panel.texts[Field::DrillDepth] = *texts.drill_depth;
    }
}

}  // namespace ostrel::testing
