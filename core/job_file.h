// Job files: telling the operator of a missing one, and opening one for a reading pass.
#pragma once

#include "core/operator.h"

#include <QString>

namespace ostrel {

// The message for a job file that can't be read, with the system's reason.
QString job_file_failure(const QString& path, const QString& reason);

// Opens the file for reading and returns its descriptor; throws OperationAbandoned naming the
// file and the reason when it can't be opened or is not a regular file (a folder, a device or a
// pipe, which may never end). Opened non-blocking, so a FIFO can't hold the window on open.
int open_job_file(const QString& path);

// Every run from a job file starts here: false, after telling the operator "такого файла не
// существует" and putting the focus on field (the page's file name), when nothing is found at path.
bool job_file_exists(const QString& path, Operator& op, Field field);

}  // namespace ostrel
