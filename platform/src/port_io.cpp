#include "platform/port_io.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define PLATFORM_HAS_IOPERM 1
#endif

#include "platform/simulated_boards.h"

namespace platform {

void PortIo::inBytes(uint16_t port, uint8_t* dst, size_t count) {
    for (size_t i = 0; i < count; ++i) dst[i] = inByte(port);
}

std::optional<uint16_t> parportBaseFromIoports(std::istream& listing) {
    std::string line;
    while (std::getline(listing, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = line.substr(colon + 1);
        name.erase(0, name.find_first_not_of(" \t"));
        name.erase(name.find_last_not_of(" \t\r") + 1);
        if (name != "parport0") continue;
        const std::string range = line.substr(0, colon);
        char* end = nullptr;
        const unsigned long start = std::strtoul(range.c_str(), &end, 16);
        if (end == range.c_str() || start > 0xFFFF) return std::nullopt;
        return static_cast<uint16_t>(start);
    }
    return std::nullopt;
}

namespace {

class HardwarePortIo final : public PortIo {
  public:
    explicit HardwarePortIo(int fd) : fd_(fd) {
#ifdef PLATFORM_HAS_IOPERM
        direct_ = ::iopl(3) == 0;
#endif
    }
    ~HardwarePortIo() override {
        ::close(fd_);
    }
    HardwarePortIo(const HardwarePortIo&) = delete;
    HardwarePortIo& operator=(const HardwarePortIo&) = delete;

    uint8_t inByte(uint16_t port) override {
#ifdef PLATFORM_HAS_IOPERM
        if (direct_) return ::inb(port);
#endif
        uint8_t b = 0xFF;
        if (::pread(fd_, &b, 1, port) != 1) b = 0xFF;
        return b;
    }
    void outByte(uint16_t port, uint8_t value) override {
#ifdef PLATFORM_HAS_IOPERM
        if (direct_) {
            ::outb(value, port);
            return;
        }
#endif
        (void)!::pwrite(fd_, &value, 1, port);
    }
    void outWord(uint16_t port, uint16_t value) override {
#ifdef PLATFORM_HAS_IOPERM
        if (direct_) {
            ::outw(value, port);
            return;
        }
#endif
        const uint8_t bytes[2] = {uint8_t(value & 0xFF), uint8_t(value >> 8)};
        (void)!::pwrite(fd_, bytes, 2, port);
    }
    void inBytes(uint16_t port, uint8_t* dst, size_t count) override {
#ifdef PLATFORM_HAS_IOPERM
        if (direct_) {
            ::insb(port, dst, static_cast<unsigned long>(count));
            return;
        }
#endif
        PortIo::inBytes(port, dst, count);
    }
    std::optional<uint16_t> parallelPortBase() override {
        std::ifstream listing("/proc/ioports");
        return parportBaseFromIoports(listing);
    }

  private:
    int fd_;
    bool direct_ = false;
};

}  // namespace

std::unique_ptr<PortIo> openHardwarePortIo() {
    const int fd = ::open("/dev/port", O_RDWR | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<HardwarePortIo>(fd);
}

std::unique_ptr<PortIo> openPortIoFromEnvironment() {
    const char* spec = std::getenv("OVF_SIMULATE");
    if (spec != nullptr && *spec != '\0') return makeSimulatedBus(spec);
    return openHardwarePortIo();
}

}  // namespace platform
