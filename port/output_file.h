// Files the program writes: made beside their target, checked, and only then put in its place.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <memory>

namespace ostrel {

// A file written into a temporary file in its target's folder and renamed over the target only
// when every write, the flush to the disk and, for a whole content, a reading back have
// succeeded: a full disk or a failing device never leaves a cut or empty file where a whole one
// stood. A target that is a device or a pipe (a terminal, /dev/null, a FIFO) has nothing to
// replace and is written directly. The first failure is kept; later writes do nothing.
class OutputFile {
public:
    // What becomes of a symbolic link at the target: the file it leads to is replaced (a
    // settings file the operator keeps elsewhere), or the link itself is (an output of a run,
    // which must never write through a link into some other file).
    enum class Link { Followed, Replaced };

    OutputFile(QString path, Link link);
    // An output not committed is dropped: its temporary file goes, the target stays as it was.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Makes the temporary file, or opens the device. False with error() set when it can't.
    bool open();
    // Buffered; false once anything has failed.
    bool write(const char* data, std::size_t size);
    // Writes out the buffer, flushes to the disk, reads the file back against expected when it
    // is given, closes it and renames it over the target. False with error() set, the target
    // then untouched.
    bool commit(const QByteArray* expected = nullptr);

    const QString& path() const { return path_; }
    // The system's reason of the first failure.
    const QString& error() const { return error_; }
    // Whether a file stood at the target when it was opened (and stays, should the write fail).
    bool had_target() const { return had_target_; }

private:
    bool fail(int error_number);
    bool write_out();
    void drop();

    QString path_;
    Link link_;
    QByteArray final_path_;  // the target, its links followed where they are
    QByteArray temporary_;   // empty when the target is written directly
    int fd_ = -1;
    bool had_target_ = false;
    QString error_;
    std::unique_ptr<char[]> buffer_;
    std::size_t buffered_ = 0;
};

// Writes content as the whole file at path. Empty on success, else the system's reason.
QString write_whole_file(const QString& path, const QByteArray& content, OutputFile::Link link,
                         bool* had_target = nullptr);

}  // namespace ostrel
