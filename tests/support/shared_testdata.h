// The files other programs wrote, in ../shared/testdata, that the tests read where they are.
#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>

namespace ostrel::testing {

// The files of those folders of the shared test data (gerber, drill, dxf, …), by name within
// each folder, as full paths; empty where the test data is not checked out beside the project.
QStringList shared_testdata_files(std::initializer_list<const char*> folders,
                                  const QStringList& name_filters = {});

// Why a test that found no files skips, naming where it looked.
QString no_shared_testdata(std::initializer_list<const char*> folders);

}  // namespace ostrel::testing
