// The DXF file as its writers mean it: group code and value pairs, whatever the codes' padding.
#pragma once

#include "core/job_file_lines.h"

#include <QString>
#include <cstdint>
#include <string_view>

namespace ostrel {

// A CR ends a line here, alone or before an LF, since files from old Macs end lines with one.
inline constexpr LineRules kDxfPairLineRules{LineRules::CarriageReturn::EndsLine,
                                             LineRules::LongLine::SkippedKeepingPrefix};

struct DxfPair {
    int code = 0;
    // The value line as written (only its start when it was longer than the line reader keeps);
    // valid until the next pair is read.
    std::string_view value;
    // The value's line in the file, counted from 1.
    std::int64_t line = 0;
};

// One forward pass over the pairs of a text DXF file. Codes may be padded with blanks or not;
// lines may end with LF, CR LF or CR.
class DxfPairReader {
public:
    // Opens the file; throws OperationAbandoned naming the file and the reason when it can't be
    // opened or read, or is a binary DXF.
    explicit DxfPairReader(const QString& path);
    // A pass over an open descriptor (taken over), for tests and fuzzing.
    DxfPairReader(int fd, const QString& path,
                  std::size_t buffer_size = JobFileLineReader::kFixedBuffer);

    // The next pair, or false at the end of the file (a code without its value line ends it
    // too). A code line that is no whole number throws OperationAbandoned naming the line.
    bool next(DxfPair& pair);

    const QString& path() const { return path_; }

private:
    QString path_;
    JobFileLineReader lines_;
    std::int64_t line_ = 0;
};

// The value of a pair as a number; throws OperationAbandoned naming the file and the line when
// it is none (or no finite one). A decimal comma is taken for a point.
double dxf_real(const DxfPair& pair, const QString& path);
// The value as a whole number (16, 32 or 64-bit codes); the same failure otherwise.
std::int64_t dxf_integer(const DxfPair& pair, const QString& path);

// Text of a value in the file's code page ($DWGCODEPAGE, e.g. "ANSI_1251"; empty: UTF-8, as
// files of AutoCAD 2007 on are written), with its \U+XXXX escapes decoded.
QString dxf_text(std::string_view value, const QString& code_page);

// The trimmed value, for names and header texts.
std::string_view dxf_trimmed(std::string_view value);

}  // namespace ostrel
