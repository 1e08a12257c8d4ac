// A temporary folder that tests write their files into, gone with the test.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace ostrel::testing {

class TestFolder {
public:
    // Writes content to name in the folder; returns the path.
    QString write(const QString& name, const QByteArray& content);
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

}  // namespace ostrel::testing
