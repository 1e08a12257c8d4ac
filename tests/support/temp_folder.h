// A temporary folder for the files a test writes, removed with everything in it afterwards.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace ostrel::testing {

// Every failure throws std::runtime_error naming the path, so that a test stops where the disk
// let it down instead of going on with an empty path.
class TempFolder {
public:
    TempFolder();

    // The folder itself, or a name in it (nothing is made).
    QString path(const QString& name = {}) const { return dir_.filePath(name); }
    // Writes content to name, making the folders on the way; returns the file's path.
    QString write(const QString& name, const QByteArray& content) const;
    // Makes the folder name and those on the way; returns its path.
    QString make_folder(const QString& name) const;

private:
    QTemporaryDir dir_;
};

}  // namespace ostrel::testing
