// The temporary folder of the tests.
#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace ostrel::testing {

namespace {

[[noreturn]] void fail(const QString& what, const QString& path, const QString& reason) {
    throw std::runtime_error(
        QStringLiteral("can't %1 \"%2\": %3").arg(what, path, reason).toStdString());
}

}  // namespace

TempFolder::TempFolder() {
    if (!dir_.isValid()) {
        fail(QStringLiteral("make a temporary folder under"), QDir::tempPath(), dir_.errorString());
    }
}

QString TempFolder::write(const QString& name, const QByteArray& content) const {
    const QString file_path = path(name);
    if (file_path.isEmpty()) {
        fail(QStringLiteral("write"), name, QStringLiteral("not a name inside the folder"));
    }
    if (!QDir().mkpath(QFileInfo(file_path).path())) {
        fail(QStringLiteral("make the folder of"), file_path, QStringLiteral("mkpath failed"));
    }
    QFile file(file_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(QStringLiteral("write"), file_path, file.errorString());
    }
    if (file.write(content) != content.size() || !file.flush()) {
        fail(QStringLiteral("write"), file_path, file.errorString());
    }
    return file_path;
}

QString TempFolder::make_folder(const QString& name) const {
    const QString folder_path = path(name);
    if (folder_path.isEmpty() || !QDir().mkpath(folder_path)) {
        fail(QStringLiteral("make the folder"), folder_path, QStringLiteral("mkpath failed"));
    }
    return folder_path;
}

}  // namespace ostrel::testing
