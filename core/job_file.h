// Opening a job file for one reading pass, refusing what a pass can't read to its end.
#pragma once

#include <QString>

namespace ostrel {

// The message for a job file that can't be read, with the system's reason.
QString job_file_failure(const QString& path, const QString& reason);

// Opens the file for reading and returns its descriptor; throws OperationAbandoned naming the
// file and the reason when it can't be opened or is not a regular file (a folder, a device or a
// pipe, which may never end). Opened non-blocking, so a FIFO can't hold the window on open.
int open_job_file(const QString& path);

}  // namespace ostrel
