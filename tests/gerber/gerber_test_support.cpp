// Helpers of the Gerber tests.
#include "tests/gerber/gerber_test_support.h"

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

}  // namespace ostrel::testing
