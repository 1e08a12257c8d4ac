// Files the program reads: job files opened for a reading pass, small files read whole, and
// telling the operator of a job file that is not there.
#pragma once

#include "core/operator.h"

#include <QByteArray>
#include <QString>

namespace ostrel {

// The message for a job file that can't be read, with the system's reason.
QString job_file_failure(const QString& path, const QString& reason);

// Opens a file for reading and returns its descriptor, or -1 with reason set to the system's
// reason. Anything but a regular file is refused (a folder, a device or a pipe, which may never
// end); it is opened non-blocking, so that a FIFO can't hold the program on open.
int open_regular_file(const QString& path, QString& reason);

// open_regular_file for a reading pass over a job file; throws OperationAbandoned naming the file
// and the reason when it can't be opened.
int open_job_file(const QString& path);

// Reads the whole of a small file that is read at once (settings, job parameters) into content.
// Empty on success, else the reason: the system's, or that it is no regular file or is larger
// than most bytes (nothing of it is read then).
QString read_small_file(const QString& path, qint64 most, QByteArray& content);

// Every run from a job file starts here: false when nothing can be opened at path, after telling
// the operator and putting the focus on field (the page's file name). A file that is not there
// is "такого файла не существует"; one that is there but can't be reached (a link that leads
// nowhere or in a circle, a name the system can't be given) is named with the reason.
bool job_file_exists(const QString& path, Operator& op, Field field);

}  // namespace ostrel
