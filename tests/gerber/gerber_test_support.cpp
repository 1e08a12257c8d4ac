// Helpers of the Gerber tests.
#include "tests/gerber/gerber_test_support.h"

#include "port/port_backend.h"
#include "port/step_decoder.h"

#include <QFile>

namespace ostrel::testing {

QString GerberFolder::write(const QString& name, const QByteArray& content) {
    const QString file_path = dir_.filePath(name);
    QFile file(file_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        return {};
    }
    return file_path;
}

GerberRig::GerberRig() {
    FakePanel& panel = rig.panel;
    panel.texts[Field::e_sped] = QStringLiteral("2,5");
    panel.texts[Field::e_sped2] = QStringLiteral("2,5");
    panel.texts[Field::e_pero] = QStringLiteral("0,5");
    panel.texts[Field::e_sped_up] = QStringLiteral("1,5");
    panel.texts[Field::e_sped_dow] = QStringLiteral("1,5");
    panel.texts[Field::e_glubs] = QStringLiteral("2");
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
