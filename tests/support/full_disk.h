// A disk that is full, for seeing what the program does when a write fails for want of room.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace ostrel::testing {

// The file that takes the last free byte of a full disk; it lies in the folder given to body.
inline constexpr const char* kDiskFiller = ".filler";

// Runs prepare and then body in a child process, each given the same empty folder. Between the
// two the disk under that folder fills up: it is a 64 KiB tmpfs that the child mounts in a mount
// namespace of its own (nothing outside ever sees it) and fills to the last byte, or, where the
// system lets no test mount one, a file-size limit of 0 bytes on the child and the programs it
// starts, under which every write fails as on a full disk. body returns what it found wrong,
// empty when all was as expected; so does the call, which also tells of a child that crashed.
std::string on_full_disk(const std::function<void(const QString& folder)>& prepare,
                         const std::function<std::string(const QString& folder)>& body);

}  // namespace ostrel::testing
