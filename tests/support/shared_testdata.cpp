// Listing the shared test data.
#include "tests/support/shared_testdata.h"

#include <QDir>

namespace ostrel::testing {

namespace {
QString folder_path(const char* folder) {
    return QStringLiteral(OSTREL_TESTDATA_DIR "/") + QLatin1String(folder);
}
}  // namespace

QStringList shared_testdata_files(std::initializer_list<const char*> folders,
                                  const QStringList& name_filters) {
    QStringList files;
    for (const char* folder : folders) {
        const QDir dir(folder_path(folder));
        for (const QString& name : dir.entryList(name_filters, QDir::Files, QDir::Name)) {
            files.append(dir.filePath(name));
        }
    }
    return files;
}

QString no_shared_testdata(std::initializer_list<const char*> folders) {
    QStringList paths;
    for (const char* folder : folders) {
        paths.append(folder_path(folder));
    }
    return QStringLiteral(
               "no test files in %1: the shared test data is not checked out next to "
               "the project")
        .arg(paths.join(QStringLiteral(", ")));
}

}  // namespace ostrel::testing
