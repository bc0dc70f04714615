/* A full disk for one process, loaded with LD_PRELOAD.
 *
 * Limits write, pwrite, writev, copy_file_range and sendfile to regular files:
 *
 *   KORVEL_FULL_DISK_AFTER=N   writes to regular files succeed for N bytes in
 *                              all; the write that reaches the limit is cut
 *                              short there and every later one fails with
 *                              ENOSPC, as on a file system that fills up.
 *   KORVEL_FULL_DISK_FSYNC=1   fsync and fdatasync fail with ENOSPC (file
 *                              systems that allocate late report it there).
 *
 * Standard input, output and error are never limited, so that the program
 * can still report what went wrong. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sendfile.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static long long g_left = -1; /* bytes still allowed; -1 until read */
static int g_fsyncFails = -1;

static void ReadSettings(void) {
    if (g_fsyncFails >= 0) return;
    const char* after = getenv("KORVEL_FULL_DISK_AFTER");
    g_left = after ? atoll(after) : -2; /* -2: no limit */
    const char* fsyncSetting = getenv("KORVEL_FULL_DISK_FSYNC");
    g_fsyncFails = fsyncSetting && fsyncSetting[0] == '1';
}

static int Limited(int fd) {
    struct stat st;
    ReadSettings();
    if (fd <= 2 || g_left == -2) return 0;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

/* How much of a write of size bytes may go to disk; sets errno when none. */
static size_t Allowance(size_t size) {
    if (size == 0) return 0;
    if (g_left <= 0) {
        errno = ENOSPC;
        return 0;
    }
    size_t allowed = (unsigned long long)g_left < size ? (size_t)g_left : size;
    g_left -= (long long)allowed;
    return allowed;
}

typedef ssize_t (*WriteFn)(int, const void*, size_t);
typedef ssize_t (*PwriteFn)(int, const void*, size_t, off_t);
typedef ssize_t (*WritevFn)(int, const struct iovec*, int);
typedef int (*SyncFn)(int);
typedef ssize_t (*CopyRangeFn)(int, off_t*, int, off_t*, size_t, unsigned int);
typedef ssize_t (*SendfileFn)(int, int, off_t*, size_t);

/* Looks up the next definition of a function (the C library's) once; copied
 * through memcpy because ISO C has no conversion from an object pointer to a
 * function pointer. */
#define LOOKUP(var, name)                          \
    do {                                           \
        if (!(var)) {                              \
            void* found = dlsym(RTLD_NEXT, name);  \
            memcpy(&(var), &found, sizeof found);  \
        }                                          \
    } while (0)

static WriteFn g_write;
static PwriteFn g_pwrite;
static PwriteFn g_pwrite64;
static WritevFn g_writev;
static CopyRangeFn g_copyFileRange;
static SendfileFn g_sendfile;
static SendfileFn g_sendfile64;
static SyncFn g_fsync;
static SyncFn g_fdatasync;

ssize_t write(int fd, const void* buffer, size_t size) {
    LOOKUP(g_write, "write");
    if (!Limited(fd)) return g_write(fd, buffer, size);
    size_t allowed = Allowance(size);
    if (allowed == 0 && size > 0) return -1;
    return g_write(fd, buffer, allowed);
}

static ssize_t LimitedPwrite(PwriteFn real, int fd, const void* buffer, size_t size, off_t offset) {
    if (!Limited(fd)) return real(fd, buffer, size, offset);
    size_t allowed = Allowance(size);
    if (allowed == 0 && size > 0) return -1;
    return real(fd, buffer, allowed, offset);
}

ssize_t pwrite(int fd, const void* buffer, size_t size, off_t offset) {
    LOOKUP(g_pwrite, "pwrite");
    return LimitedPwrite(g_pwrite, fd, buffer, size, offset);
}

ssize_t pwrite64(int fd, const void* buffer, size_t size, off_t offset) {
    LOOKUP(g_pwrite64, "pwrite64");
    return LimitedPwrite(g_pwrite64, fd, buffer, size, offset);
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
    LOOKUP(g_writev, "writev");
    LOOKUP(g_write, "write");
    if (!Limited(fd)) return g_writev(fd, parts, count);
    /* Written part by part: a short part ends the write. */
    ssize_t total = 0;
    for (int i = 0; i < count; ++i) {
        size_t allowed = Allowance(parts[i].iov_len);
        if (allowed == 0 && parts[i].iov_len > 0) return total > 0 ? total : -1;
        ssize_t n = g_write(fd, parts[i].iov_base, allowed);
        if (n < 0) return total > 0 ? total : -1;
        total += n;
        if ((size_t)n < parts[i].iov_len) break;
    }
    return total;
}

/* Copies done by the kernel from file to file count like writes. */
ssize_t copy_file_range(int in, off_t* inOffset, int out, off_t* outOffset, size_t size, unsigned int flags) {
    LOOKUP(g_copyFileRange, "copy_file_range");
    if (!Limited(out)) return g_copyFileRange(in, inOffset, out, outOffset, size, flags);
    size_t allowed = Allowance(size);
    if (allowed == 0 && size > 0) return -1;
    return g_copyFileRange(in, inOffset, out, outOffset, allowed, flags);
}

static ssize_t LimitedSendfile(SendfileFn real, int out, int in, off_t* offset, size_t size) {
    if (!Limited(out)) return real(out, in, offset, size);
    size_t allowed = Allowance(size);
    if (allowed == 0 && size > 0) return -1;
    return real(out, in, offset, allowed);
}

ssize_t sendfile(int out, int in, off_t* offset, size_t size) {
    LOOKUP(g_sendfile, "sendfile");
    return LimitedSendfile(g_sendfile, out, in, offset, size);
}

ssize_t sendfile64(int out, int in, off_t* offset, size_t size) {
    LOOKUP(g_sendfile64, "sendfile64");
    return LimitedSendfile(g_sendfile64, out, in, offset, size);
}

static int LimitedSync(SyncFn real, int fd) {
    ReadSettings();
    if (g_fsyncFails && fd > 2) {
        errno = ENOSPC;
        return -1;
    }
    return real(fd);
}

int fsync(int fd) {
    LOOKUP(g_fsync, "fsync");
    return LimitedSync(g_fsync, fd);
}

int fdatasync(int fd) {
    LOOKUP(g_fdatasync, "fdatasync");
    return LimitedSync(g_fdatasync, fd);
}
