// The DXF entity reader: one forward pass over a text DXF file yielding its LINE or POINT records.
#pragma once

#include "core/job_file_lines.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

// A LINE entity: first point (groups 10, 20) and second point (groups 11, 21), in mm.
struct DxfLine {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    // The same values as counts of ten-thousandths of a millimetre, exactly as they were read;
    // the preview maps these rather than the doubles.
    std::int64_t q_x1 = 0;
    std::int64_t q_y1 = 0;
    std::int64_t q_x2 = 0;
    std::int64_t q_y2 = 0;
};

// A POINT entity: groups 10 and 20, in mm.
struct DxfPoint {
    double x = 0;
    double y = 0;
    std::int64_t q_x = 0;
    std::int64_t q_y = 0;
};

// The count of ten-thousandths a value text read from a DXF file stands for, by the operator's
// number-reading rule after every "." has become ",". Empty when it is not such a number.
std::optional<std::int64_t> dxf_value_count(std::string_view text);

// One pass of the reader over a file: opened on construction, closed on destruction. The value
// texts of the group codes persist from one entity to the next within the pass, so an entity
// lacking a code takes the text of the last entity that had it.
class DxfReader {
public:
    enum class Entity { Line, Point };

    // Opens the file for a pass over the given entity kind. The caller has already told the
    // operator about a file that does not exist. Throws OperationAbandoned naming the file and
    // the reason when it can't be opened or read, is not a regular file, or is not a text DXF
    // (a binary DXF, or a file holding NUL bytes in its first kilobyte).
    DxfReader(const QString& path, Entity entity,
              std::size_t buffer_size = JobFileLineReader::kFixedBuffer);
    // A pass over an already open descriptor (taken over), for tests and fuzzing.
    DxfReader(int fd, const QString& path, Entity entity,
              std::size_t buffer_size = JobFileLineReader::kFixedBuffer);
    ~DxfReader();
    DxfReader(const DxfReader&) = delete;
    DxfReader& operator=(const DxfReader&) = delete;

    // The next LINE (a pass opened for Entity::Line), or nothing at the end of the file.
    // A value that is not a number throws OperationAbandoned with the conversion message.
    std::optional<DxfLine> next_line_entity();
    // The next POINT (a pass opened for Entity::Point), or nothing at the end of the file.
    std::optional<DxfPoint> next_point_entity();

    // True once the file ended inside an entity (after its marker, before its closing "  0").
    // Such an entity is not handed out: its values may be cut short mid-number.
    bool cut_off() const { return cut_off_; }
    // The message telling the operator about a cut-off entity; for a file whose group codes are
    // not padded to three characters (which cuts off its first entity), that it needs the
    // standard mode.
    QString cut_off_message() const;

    const QString& path() const { return path_; }

private:
    // Value slots: 10, 20, 11, 21.
    static constexpr int kSlots = 4;
    struct ValueText {
        // The text is the first length bytes of storage, which is kKeptPrefix bytes long so that
        // assigning never allocates and a short text is copied as one fixed-size block.
        std::string storage;
        std::size_t length = 0;
        bool too_long = false;
        // count holds the reading of the text while fresh is false; a kept text is read once.
        bool fresh = true;
        std::int64_t count = 0;

        std::string_view text() const { return {storage.data(), length}; }
        // padded: kShortText bytes from the start of line are readable, however short it is.
        void assign(std::string_view line, bool cut, bool padded);
    };
    static constexpr std::size_t kShortText = 16;
    // How a quick scan of the buffered bytes ended.
    enum class Quick { Found, NeedMore, LineReader };

    // Bytes looked at for the signs of a file that is no text DXF.
    static constexpr std::size_t kSniffed = 1024;

    void check_text_file(int fd);
    bool scan_entity(std::string_view marker, int slots);
    Quick quick_entity(std::string_view marker, int slots);
    bool line_by_line_entity(std::string_view marker, int slots);
    std::int64_t convert(int slot);

    QString path_;
    Entity entity_;
    JobFileLineReader lines_;
    ValueText values_[kSlots];
    bool cut_off_ = false;
    // A group code written without its blanks was seen inside an entity.
    bool unpadded_ = false;
};

}  // namespace ostrel
