#pragma once
// The system calls the V4L2 back-end makes, behind an interface so that tests can stand in
// a simulated device.

#include <sys/types.h>
#include <cstddef>

namespace vfw {

class V4l2Io {
  public:
    virtual ~V4l2Io() = default;
    virtual int open(const char* path) = 0;  // non-blocking, read-write; -1 and errno
    virtual int close(int fd) = 0;
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;  // -1 and errno
    virtual void* mmap(size_t length, int fd, off_t offset) = 0;      // null on failure
    virtual void munmap(void* start, size_t length) = 0;
    // Waits up to timeoutMs for a frame: 1 ready, 0 time out, -1 error (errno).
    virtual int waitReadable(int fd, int timeoutMs) = 0;
};

// The real system calls.
V4l2Io& systemV4l2Io();

}  // namespace vfw
