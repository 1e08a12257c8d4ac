// Fuzzes the settings-file reader with arbitrary file contents.
#include "motion/settings_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cfg.ini");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return 0;
        }
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const ostrel::SettingsRead read = ostrel::read_settings_file(path);
    for (int axis = 1; axis <= 3; ++axis) {
        if (read.parameters.mm_per_step[axis] == 0 || read.parameters.backlash[axis] < 0) {
            std::abort();  // an unusable value must never come through
        }
    }
    return 0;
}
