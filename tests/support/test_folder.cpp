// Test files written to a temporary folder.
#include "tests/support/test_folder.h"

#include <QFile>
#include <stdexcept>

namespace ostrel::testing {

QString TestFolder::write(const QString& name, const QByteArray& content) {
    const QString file_path = dir_.filePath(name);
    QFile file(file_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        throw std::runtime_error("can't write a test file");
    }
    return file_path;
}

}  // namespace ostrel::testing
