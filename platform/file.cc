#include "platform/file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/io_codes.h"
#include "platform/process.h"
#include "platform/system_call.h"

namespace vork {
namespace {

constexpr int kCreateMode = 0666;  // Less the umask, as any new file.

// Linux moves at most this much in one read or write.
constexpr std::size_t kMaxTransfer = 0x7ffff000;

// What copy_file_range answers where it cannot copy between two files,
// although a read and a write would: other file systems, old kernels,
// special files.
bool IsKernelCopyUnsupported(int error_number) {
  switch (error_number) {
    case ENOSYS:
    case EXDEV:
    case EINVAL:
    case EOPNOTSUPP:
    case EBADF:
    case ETXTBSY:
      return true;
    default:
      return false;
  }
}

FileHandle OpenChecked(const std::string& path, int flags, Site site) {
  const int fd =
      RetryingInterrupts([&] { return ::open(path.c_str(), flags | O_CLOEXEC, kCreateMode); });
  if (fd < 0) ThrowErrno(errno, site);
  return FileHandle(fd);
}

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (fd >= 0) ::close(fd);
    fd = other.fd;
    other.fd = -1;
  }
  return *this;
}

FileHandle::~FileHandle() {
  if (fd >= 0) ::close(fd);
}

PendingFile::~PendingFile() {
  if (armed) RemoveFileQuietly(path);
}

std::optional<std::uint64_t> RegularFileSize(std::string_view path) {
  // The system would read such a name only up to its first byte 0, which
  // names another file.
  if (path.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string terminated(path);
  struct stat status {};
  if (RetryingInterrupts([&] { return ::stat(terminated.c_str(), &status); }) != 0 ||
      !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(status.st_size);
}

FileHandle OpenForReading(const std::string& path, Site site) {
  return OpenChecked(path, O_RDONLY, site);
}

FileStatus StatusOf(const FileHandle& file, Site site) {
  struct stat status {};
  if (RetryingInterrupts([&] { return ::fstat(file.fd, &status); }) != 0) ThrowErrno(errno, site);
  return FileStatus{static_cast<std::uint64_t>(status.st_size), status.st_dev, status.st_ino};
}

FileHandle CreateTruncated(const std::string& path, const FileStatus& input, Site site) {
  // A new file cannot be the input: no further call is needed.
  const int fd = RetryingInterrupts(
      [&] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kCreateMode); });
  if (fd >= 0) return FileHandle(fd);
  if (errno != EEXIST) ThrowErrno(errno, site);
  // Emptying the input, linked under this name, would destroy what is read.
  // O_CREAT still, for a link that dangles or a file removed meanwhile.
  FileHandle existing = OpenChecked(path, O_WRONLY | O_CREAT, site);
  const FileStatus status = StatusOf(existing, site);
  if (status.device == input.device && status.inode == input.inode) ThrowErrno(EACCES, site);
  if (status.size > 0 && RetryingInterrupts([&] { return ::ftruncate(existing.fd, 0); }) != 0) {
    ThrowErrno(errno, site);
  }
  return existing;
}

std::size_t ReadUpTo(const FileHandle& file, std::byte* data, std::size_t size, Site site) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t want = std::min(size - done, kMaxTransfer);
    const ssize_t got = RetryingInterrupts([&] { return ::read(file.fd, data + done, want); });
    if (got < 0) ThrowErrno(errno, site);
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void WriteAll(const FileHandle& file, const std::byte* data, std::size_t size, Site site) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t want = std::min(size - done, kMaxTransfer);
    const ssize_t put = RetryingInterrupts([&] { return ::write(file.fd, data + done, want); });
    if (put < 0) ThrowErrno(errno, site);
    // A device that takes nothing more is full.
    if (put == 0) ThrowErrno(ENOSPC, site);
    done += static_cast<std::size_t>(put);
  }
}

void WriteAll(const FileHandle& file, const std::string& text, Site site) {
  WriteAll(file, reinterpret_cast<const std::byte*>(text.data()), text.size(), site);
}

std::optional<std::uint64_t> CopyInKernel(const FileHandle& in, const FileHandle& out,
                                          std::uint64_t size, Site site) {
  // Each call is capped, as some kernels mishandle larger requests.
  constexpr std::uint64_t kMaxKernelCopy = std::uint64_t{1} << 30;
  std::uint64_t done = 0;
  while (done < size) {
    const std::size_t want = std::min(size - done, kMaxKernelCopy);
    const ssize_t copied = RetryingInterrupts(
        [&] { return ::copy_file_range(in.fd, nullptr, out.fd, nullptr, want, 0); });
    if (copied < 0) {
      if (done == 0 && IsKernelCopyUnsupported(errno)) return std::nullopt;
      ThrowErrno(errno, site);
    }
    if (copied == 0) break;
    done += static_cast<std::uint64_t>(copied);
  }
  return done;
}

void Close(FileHandle& file, Site site) {
  const int fd = file.fd;
  file.fd = -1;
  // Linux releases the descriptor even when close reports EINTR, so it is
  // done; a retry could close a descriptor opened meanwhile.
  if (::close(fd) != 0 && errno != EINTR) ThrowErrno(errno, site);
}

void RemoveFileQuietly(const std::string& path) noexcept { ::unlink(path.c_str()); }

}  // namespace vork
