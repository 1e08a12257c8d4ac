// The lines of a file on the Gerber page, which must be text.
#pragma once

#include "core/job_file_lines.h"

#include <QString>

namespace ostrel {

// Reads a Gerber or drill file line by line under the Gerber rules. Such a file is text: a NUL
// byte shows a program or some other binary file, whose stray X and Y digits would otherwise
// move the machine. One in the first kilobyte refuses the file before any line is read, one
// further on when its line comes; either way OperationAbandoned names the file, as do the
// failures of opening and reading.
class GerberFileLines {
public:
    static constexpr std::size_t kSniffed = 1024;

    explicit GerberFileLines(const QString& path);

    // The next line, or false at the end of the file. The view stays valid until the next call.
    bool next(JobFileLineReader::Line& line);

private:
    QString path_;
    JobFileLineReader lines_;
};

}  // namespace ostrel
