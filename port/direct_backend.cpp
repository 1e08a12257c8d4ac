// Raw I/O-port access through ioperm and the processor's in and out instructions.
#include "port/direct_backend.h"

#include <array>
#include <cerrno>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define OSTREL_HAS_PORT_IO 1
#else
#define OSTREL_HAS_PORT_IO 0
#endif

namespace ostrel {

namespace {

constexpr std::array<unsigned, 3> BASES = {0x3BC, 0x378, 0x278};
// Data, status and control; the extended-mode registers above them are never used.
constexpr unsigned GRANTED_REGISTERS = 3;

}  // namespace

std::uint16_t direct_io_address(std::uint8_t address) {
    const int number = address >> 4;
    const unsigned base = number == 1 ? 0x3BC : number == 2 ? 0x378 : 0x278;
    return static_cast<std::uint16_t>(base + (address & 0x07));
}

#if OSTREL_HAS_PORT_IO

DirectBackend::DirectBackend() {
    for (std::size_t i = 0; i < BASES.size(); ++i) {
        if (ioperm(BASES[i], GRANTED_REGISTERS, 1) != 0) {
            error_ = errno;
            for (std::size_t j = 0; j < i; ++j) {
                ioperm(BASES[j], GRANTED_REGISTERS, 0);
            }
            return;
        }
    }
    open_ = true;
}

DirectBackend::~DirectBackend() {
    if (open_) {
        for (unsigned base : BASES) {
            ioperm(base, GRANTED_REGISTERS, 0);
        }
    }
}

bool DirectBackend::read_register(std::uint8_t address, std::uint8_t& value) {
    if (!open_ || (address & 0x07) >= GRANTED_REGISTERS) {
        return false;
    }
    value = inb(direct_io_address(address));
    return true;
}

bool DirectBackend::write_register(std::uint8_t address, std::uint8_t value) {
    if (!open_ || (address & 0x07) >= GRANTED_REGISTERS) {
        return false;
    }
    outb(value, direct_io_address(address));
    return true;
}

#else

DirectBackend::DirectBackend() : error_(ENOSYS) {}

DirectBackend::~DirectBackend() = default;

bool DirectBackend::read_register(std::uint8_t, std::uint8_t&) {
    return false;
}

bool DirectBackend::write_register(std::uint8_t, std::uint8_t) {
    return false;
}

#endif

}  // namespace ostrel
