#include "v4l2_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace vfw {

namespace {

class SystemV4l2Io final : public V4l2Io {
  public:
    int open(const char* path) override { return ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC); }
    int close(int fd) override { return ::close(fd); }
    int ioctl(int fd, unsigned long request, void* arg) override {
        int r;
        do {
            r = ::ioctl(fd, request, arg);
        } while (r == -1 && errno == EINTR);
        return r;
    }
    void* mmap(size_t length, int fd, off_t offset) override {
        void* p = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
        return p == MAP_FAILED ? nullptr : p;
    }
    void munmap(void* start, size_t length) override { ::munmap(start, length); }
    int waitReadable(int fd, int timeoutMs) override {
        pollfd p{fd, POLLIN, 0};
        int r;
        do {
            r = ::poll(&p, 1, timeoutMs);
        } while (r == -1 && errno == EINTR);
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLIN)) {
            errno = ENODEV;
            return -1;
        }
        return r > 0 ? 1 : r;
    }
};

}  // namespace

V4l2Io& systemV4l2Io() {
    static SystemV4l2Io io;
    return io;
}

}  // namespace vfw
