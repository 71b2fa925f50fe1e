// A test-only LD_PRELOAD library: makes the Nth call of one chosen function
// fail with a chosen errno, and counts the calls of every function it wraps.
//
//   VORK_FAULT_FUNCTION  the function family to fail (open, read, write, ...)
//   VORK_FAULT_CALL      which call of it fails, counted from 1
//   VORK_FAULT_ERRNO     the error number it fails with
//   VORK_FAULT_REPORT    a file that receives, at exit, a line per family
//                        "name count", and "faulted <path>" for the call
//                        that failed, naming the file it concerned.
//
// An injected failure does nothing, except close, which releases the
// descriptor and then reports the error, as Linux does.

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum Family {
  kOpen, kRead, kPread, kWrite, kPwrite, kCopyFileRange, kSendfile, kLseek, kStat, kFstat,
  kLstat, kFstatat, kFsync, kFdatasync, kFchmod, kFtruncate, kRename, kClose, kUnlink, kFamilies
};

const char* const kNames[kFamilies] = {
    "open", "read", "pread", "write", "pwrite", "copy_file_range", "sendfile", "lseek", "stat",
    "fstat", "lstat", "fstatat", "fsync", "fdatasync", "fchmod", "ftruncate", "rename", "close",
    "unlink"};

long g_calls[kFamilies];
int g_fault_family = -1;
long g_fault_call = 0;
int g_fault_errno = 0;
bool g_faulted = false;
char g_faulted_path[4096];

// Which file each descriptor opened through here names.
constexpr int kMaxTracked = 1024;
char g_fd_paths[kMaxTracked][256];

void Remember(int fd, const char* path) {
  if (fd >= 0 && fd < kMaxTracked) snprintf(g_fd_paths[fd], sizeof g_fd_paths[fd], "%s", path);
}

const char* PathOf(int fd) {
  if (fd == 1) return "<stdout>";
  return fd >= 0 && fd < kMaxTracked && g_fd_paths[fd][0] ? g_fd_paths[fd] : "<unknown>";
}

__attribute__((constructor)) void Configure() {
  const char* family = getenv("VORK_FAULT_FUNCTION");
  if (family == nullptr) return;
  for (int i = 0; i < kFamilies; ++i) {
    if (strcmp(family, kNames[i]) == 0) g_fault_family = i;
  }
  g_fault_call = atol(getenv("VORK_FAULT_CALL") ? getenv("VORK_FAULT_CALL") : "0");
  g_fault_errno = atoi(getenv("VORK_FAULT_ERRNO") ? getenv("VORK_FAULT_ERRNO") : "0");
}

__attribute__((destructor)) void Report() {
  const char* path = getenv("VORK_FAULT_REPORT");
  if (path == nullptr) return;
  long calls[kFamilies];  // Before fopen adds calls of its own.
  memcpy(calls, g_calls, sizeof calls);
  g_fault_family = -1;
  FILE* out = fopen(path, "w");
  if (out == nullptr) return;
  for (int i = 0; i < kFamilies; ++i) fprintf(out, "%s %ld\n", kNames[i], calls[i]);
  if (g_faulted) fprintf(out, "faulted %s\n", g_faulted_path);
  fclose(out);
}

// Counts the call; true when this is the one to fail, with errno set.
bool Inject(Family family, const char* path) {
  const long call = ++g_calls[family];
  if (family != g_fault_family || call != g_fault_call) return false;
  g_faulted = true;
  snprintf(g_faulted_path, sizeof g_faulted_path, "%s", path ? path : "<none>");
  errno = g_fault_errno;
  return true;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

mode_t ModeOf(int flags, va_list args) {
  return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

int OpenCommon(const char* real, int dirfd, const char* path, int flags, mode_t mode) {
  if (Inject(kOpen, path)) return -1;
  int fd;
  if (dirfd == AT_FDCWD && strncmp(real, "openat", 6) != 0) {
    fd = Next<int (*)(const char*, int, ...)>(real)(path, flags, mode);
  } else {
    fd = Next<int (*)(int, const char*, int, ...)>(real)(dirfd, path, flags, mode);
  }
  Remember(fd, path);
  return fd;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenCommon("open", AT_FDCWD, path, flags, mode);
}
int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenCommon("open64", AT_FDCWD, path, flags, mode);
}
int openat(int dirfd, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenCommon("openat", dirfd, path, flags, mode);
}
int openat64(int dirfd, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  return OpenCommon("openat64", dirfd, path, flags, mode);
}
int __open_2(const char* path, int flags) { return OpenCommon("open", AT_FDCWD, path, flags, 0); }
int __open64_2(const char* path, int flags) {
  return OpenCommon("open64", AT_FDCWD, path, flags, 0);
}
int __openat_2(int dirfd, const char* path, int flags) {
  return OpenCommon("openat", dirfd, path, flags, 0);
}
int __openat64_2(int dirfd, const char* path, int flags) {
  return OpenCommon("openat64", dirfd, path, flags, 0);
}

ssize_t read(int fd, void* data, size_t size) {
  if (Inject(kRead, PathOf(fd))) return -1;
  return Next<ssize_t (*)(int, void*, size_t)>("read")(fd, data, size);
}
ssize_t __read_chk(int fd, void* data, size_t size, size_t) { return read(fd, data, size); }
ssize_t pread(int fd, void* data, size_t size, off_t offset) {
  if (Inject(kPread, PathOf(fd))) return -1;
  return Next<ssize_t (*)(int, void*, size_t, off_t)>("pread")(fd, data, size, offset);
}
ssize_t pread64(int fd, void* data, size_t size, off_t offset) { return pread(fd, data, size, offset); }
ssize_t write(int fd, const void* data, size_t size) {
  if (Inject(kWrite, PathOf(fd))) return -1;
  return Next<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}
ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  if (Inject(kPwrite, PathOf(fd))) return -1;
  return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(fd, data, size, offset);
}
ssize_t pwrite64(int fd, const void* data, size_t size, off_t offset) {
  return pwrite(fd, data, size, offset);
}
ssize_t copy_file_range(int in, loff_t* in_offset, int out, loff_t* out_offset, size_t size,
                        unsigned flags) {
  if (Inject(kCopyFileRange, PathOf(out))) return -1;
  return Next<ssize_t (*)(int, loff_t*, int, loff_t*, size_t, unsigned)>("copy_file_range")(
      in, in_offset, out, out_offset, size, flags);
}
ssize_t sendfile(int out, int in, off_t* offset, size_t size) {
  if (Inject(kSendfile, PathOf(out))) return -1;
  return Next<ssize_t (*)(int, int, off_t*, size_t)>("sendfile")(out, in, offset, size);
}
ssize_t sendfile64(int out, int in, off_t* offset, size_t size) {
  return sendfile(out, in, offset, size);
}
off_t lseek(int fd, off_t offset, int whence) {
  if (Inject(kLseek, PathOf(fd))) return -1;
  return Next<off_t (*)(int, off_t, int)>("lseek")(fd, offset, whence);
}
off_t lseek64(int fd, off_t offset, int whence) { return lseek(fd, offset, whence); }

int stat(const char* path, struct stat* status) {
  if (Inject(kStat, path)) return -1;
  return Next<int (*)(const char*, struct stat*)>("stat")(path, status);
}
int stat64(const char* path, struct stat64* status) {
  if (Inject(kStat, path)) return -1;
  return Next<int (*)(const char*, struct stat64*)>("stat64")(path, status);
}
int fstat(int fd, struct stat* status) {
  if (Inject(kFstat, PathOf(fd))) return -1;
  return Next<int (*)(int, struct stat*)>("fstat")(fd, status);
}
int fstat64(int fd, struct stat64* status) {
  if (Inject(kFstat, PathOf(fd))) return -1;
  return Next<int (*)(int, struct stat64*)>("fstat64")(fd, status);
}
int lstat(const char* path, struct stat* status) {
  if (Inject(kLstat, path)) return -1;
  return Next<int (*)(const char*, struct stat*)>("lstat")(path, status);
}
int lstat64(const char* path, struct stat64* status) {
  if (Inject(kLstat, path)) return -1;
  return Next<int (*)(const char*, struct stat64*)>("lstat64")(path, status);
}
int fstatat(int dirfd, const char* path, struct stat* status, int flags) {
  if (Inject(kFstatat, path)) return -1;
  return Next<int (*)(int, const char*, struct stat*, int)>("fstatat")(dirfd, path, status, flags);
}
int fstatat64(int dirfd, const char* path, struct stat64* status, int flags) {
  if (Inject(kFstatat, path)) return -1;
  return Next<int (*)(int, const char*, struct stat64*, int)>("fstatat64")(dirfd, path, status,
                                                                           flags);
}

int fsync(int fd) {
  if (Inject(kFsync, PathOf(fd))) return -1;
  return Next<int (*)(int)>("fsync")(fd);
}
int fdatasync(int fd) {
  if (Inject(kFdatasync, PathOf(fd))) return -1;
  return Next<int (*)(int)>("fdatasync")(fd);
}
int fchmod(int fd, mode_t mode) {
  if (Inject(kFchmod, PathOf(fd))) return -1;
  return Next<int (*)(int, mode_t)>("fchmod")(fd, mode);
}
int ftruncate(int fd, off_t size) {
  if (Inject(kFtruncate, PathOf(fd))) return -1;
  return Next<int (*)(int, off_t)>("ftruncate")(fd, size);
}
int ftruncate64(int fd, off_t size) { return ftruncate(fd, size); }
int rename(const char* from, const char* to) {
  if (Inject(kRename, to)) return -1;
  return Next<int (*)(const char*, const char*)>("rename")(from, to);
}
int renameat(int from_dir, const char* from, int to_dir, const char* to) {
  if (Inject(kRename, to)) return -1;
  return Next<int (*)(int, const char*, int, const char*)>("renameat")(from_dir, from, to_dir, to);
}
int unlink(const char* path) {
  if (Inject(kUnlink, path)) return -1;
  return Next<int (*)(const char*)>("unlink")(path);
}

int close(int fd) {
  const bool fail = Inject(kClose, PathOf(fd));
  const int saved = errno;
  const int result = Next<int (*)(int)>("close")(fd);
  if (fd >= 0 && fd < kMaxTracked) g_fd_paths[fd][0] = '\0';
  if (fail) {
    errno = saved;  // Released, and yet reported as failed.
    return -1;
  }
  return result;
}

}  // extern "C"
