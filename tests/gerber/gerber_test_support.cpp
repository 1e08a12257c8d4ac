// Helpers of the Gerber tests.
#include "tests/gerber/gerber_test_support.h"

#include "port/port_backend.h"
#include "port/step_decoder.h"

namespace ostrel::testing {

GerberRig::GerberRig() {
    FakePanel& panel = rig.panel;
    panel.texts[Field::SpeedXy] = QStringLiteral("2,5");
    panel.texts[Field::SpeedXyRapid] = QStringLiteral("2,5");
    panel.texts[Field::ZTravel] = QStringLiteral("0,5");
    panel.texts[Field::SpeedZUp] = QStringLiteral("1,5");
    panel.texts[Field::SpeedZDown] = QStringLiteral("1,5");
    panel.texts[Field::DrillDepth] = QStringLiteral("2");
    panel.page = 1;
    panel.vozvrat = false;
}

std::vector<StepPoint> decoded_path(const std::vector<PortRecord>& writes) {
    StepDecoder motors;
    std::vector<StepPoint> path;
    StepPoint last;
    for (const PortRecord& w : writes) {
        if (w.address != (PORT_378 | 0)) {
            continue;
        }
        motors.feed(w.value);
        const StepPoint now{motors.position(AXIS_X), motors.position(AXIS_Y),
                            motors.position(AXIS_Z)};
        if (!(now == last)) {
            path.push_back(now);
            last = now;
        }
    }
    return path;
}

}  // namespace ostrel::testing
