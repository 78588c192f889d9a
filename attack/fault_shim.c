/* Preloaded into a program under attack: counts the calls that change files and makes one of
 * them fail as a kill or a full disk would.
 *
 *   OVFC_FAULT_KILL_AT=N   the process kills itself (SIGKILL) just before its Nth change
 *   OVFC_FAULT_NOSPC_AT=N  the Nth write to a regular file and every later one fail with ENOSPC
 *   OVFC_FAULT_COUNT=FILE  at exit, the number of changes made is written to FILE
 *
 * A change is a write, pwrite, ftruncate or fsync on a regular file, or a rename, unlink or
 * remove.
 * Writes to terminals, pipes and sockets (the program's output) are not counted. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

static atomic_long changes;
static long kill_at = -1;
static long nospc_at = -1;
static const char* count_file;

static long env_number(const char* name) {
    const char* text = getenv(name);
    if (text == NULL || *text == '\0') return -1;
    return strtol(text, NULL, 10);
}

__attribute__((constructor)) static void shim_start(void) {
    kill_at = env_number("OVFC_FAULT_KILL_AT");
    nospc_at = env_number("OVFC_FAULT_NOSPC_AT");
    count_file = getenv("OVFC_FAULT_COUNT");
}

__attribute__((destructor)) static void shim_end(void) {
    if (count_file == NULL) return;
    char text[32];
    const int n = snprintf(text, sizeof text, "%ld\n", (long)atomic_load(&changes));
    const int fd = (int)syscall(SYS_openat, AT_FDCWD, count_file, O_WRONLY | O_CREAT | O_TRUNC,
                                0644);
    if (fd < 0) return;
    if (syscall(SYS_write, fd, text, (size_t)n) < 0) { /* nothing to report to */ }
    syscall(SYS_close, fd);
}

static int is_file(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

/* Counts one change; kills the process when it is the chosen one. Returns its number. */
static long change(void) {
    const long n = atomic_fetch_add(&changes, 1) + 1;
    if (n == kill_at) {
        syscall(SYS_kill, getpid(), SIGKILL);
        for (;;) pause();
    }
    return n;
}

static int full_disk(long n) {
    return nospc_at > 0 && n >= nospc_at;
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

ssize_t write(int fd, const void* data, size_t size) {
    static __typeof__(&write) next;
    if (!next) next = NEXT(write);
    if (is_file(fd) && full_disk(change())) {
        errno = ENOSPC;
        return -1;
    }
    return next(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t at) {
    static __typeof__(&pwrite) next;
    if (!next) next = NEXT(pwrite);
    if (is_file(fd) && full_disk(change())) {
        errno = ENOSPC;
        return -1;
    }
    return next(fd, data, size, at);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t at) {
    static __typeof__(&pwrite64) next;
    if (!next) next = NEXT(pwrite64);
    if (is_file(fd) && full_disk(change())) {
        errno = ENOSPC;
        return -1;
    }
    return next(fd, data, size, at);
}

int ftruncate(int fd, off_t size) {
    static __typeof__(&ftruncate) next;
    if (!next) next = NEXT(ftruncate);
    if (is_file(fd)) change();
    return next(fd, size);
}

int ftruncate64(int fd, off64_t size) {
    static __typeof__(&ftruncate64) next;
    if (!next) next = NEXT(ftruncate64);
    if (is_file(fd)) change();
    return next(fd, size);
}

int fsync(int fd) {
    static __typeof__(&fsync) next;
    if (!next) next = NEXT(fsync);
    if (is_file(fd)) change();
    return next(fd);
}

int fdatasync(int fd) {
    static __typeof__(&fdatasync) next;
    if (!next) next = NEXT(fdatasync);
    if (is_file(fd)) change();
    return next(fd);
}

int rename(const char* from, const char* to) {
    static __typeof__(&rename) next;
    if (!next) next = NEXT(rename);
    change();
    return next(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    static __typeof__(&renameat) next;
    if (!next) next = NEXT(renameat);
    change();
    return next(fromDir, from, toDir, to);
}

int unlink(const char* path) {
    static __typeof__(&unlink) next;
    if (!next) next = NEXT(unlink);
    change();
    return next(path);
}

int unlinkat(int dir, const char* path, int flags) {
    static __typeof__(&unlinkat) next;
    if (!next) next = NEXT(unlinkat);
    change();
    return next(dir, path, flags);
}

int remove(const char* path) {
    static __typeof__(&remove) next;
    if (!next) next = NEXT(remove);
    change();
    return next(path);
}
