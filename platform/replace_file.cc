#include "platform/replace_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/io_codes.h"
#include "platform/process.h"
#include "platform/system_call.h"

namespace vork {
namespace {

constexpr int kMaxLinkHops = 40;  // As the kernel allows before ELOOP.
constexpr mode_t kTempMode = 0600;

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file the links starting at `path` lead to, which need not exist.
std::string FollowLinks(std::string path, Site site) {
  for (int hops = 0;; ++hops) {
    struct stat status {};
    if (RetryingInterrupts([&] { return ::lstat(path.c_str(), &status); }) != 0) {
      if (errno == ENOENT) return path;
      ThrowErrno(errno, site);
    }
    if (!S_ISLNK(status.st_mode)) return path;
    if (hops == kMaxLinkHops) ThrowErrno(ELOOP, site);
    std::string target(static_cast<std::size_t>(status.st_size) + 1, '\0');
    const ssize_t length = RetryingInterrupts(
        [&] { return ::readlink(path.c_str(), target.data(), target.size()); });
    if (length < 0) ThrowErrno(errno, site);
    // A link that grew since lstat is read again on the next round.
    if (static_cast<std::size_t>(length) >= target.size()) continue;
    target.resize(static_cast<std::size_t>(length));
    const bool relative = !target.starts_with('/') && path.find('/') != std::string::npos;
    path = relative ? DirectoryOf(path) + "/" + target : target;
  }
}

unsigned DefaultMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The mode an existing target passes on, after checking that it may be
// written; the default mode when there is none.
unsigned CheckTarget(const std::string& target, Site site) {
  struct stat status {};
  if (RetryingInterrupts([&] { return ::stat(target.c_str(), &status); }) != 0) {
    if (errno == ENOENT) return DefaultMode();
    ThrowErrno(errno, site);
  }
  // Renaming over a directory, device or FIFO would never be what was meant.
  if (!S_ISREG(status.st_mode)) ThrowErrno(S_ISDIR(status.st_mode) ? EISDIR : EACCES, site);
  FileHandle check(RetryingInterrupts(
      [&] { return ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); }));
  if (check.fd < 0) ThrowErrno(errno, site);
  Close(check, site);
  return status.st_mode & 07777;
}

}  // namespace

Replacement BeginReplacement(const std::string& path, const BeginSites& sites) {
  std::string target = FollowLinks(path, sites.resolve);
  const unsigned mode = CheckTarget(target, sites.check);
  const std::string stem = DirectoryOf(target) + "/." + BaseNameOf(target) + "." +
                           std::to_string(::getpid());
  for (int attempt = 0;; ++attempt) {
    std::string temp = stem;
    if (attempt > 0) temp += '-' + std::to_string(attempt);
    temp += ".tmp";
    const int fd = RetryingInterrupts(
        [&] { return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kTempMode); });
    if (fd >= 0) {
      Replacement replacement{std::move(target), mode, PendingFile(std::move(temp)), FileHandle(fd)};
      replacement.temp.Arm();
      return replacement;
    }
    if (errno != EEXIST) ThrowErrno(errno, sites.create);
  }
}

void CommitReplacement(Replacement& replacement, const CommitSites& sites) {
  const int fd = replacement.file.fd;
  const auto mode = static_cast<mode_t>(replacement.mode);
  if (RetryingInterrupts([&] { return ::fchmod(fd, mode); }) != 0) {
    ThrowErrno(errno, sites.set_mode);
  }
  if (RetryingInterrupts([&] { return ::fsync(fd); }) != 0) ThrowErrno(errno, sites.sync);
  Close(replacement.file, sites.close);
  const char* from = replacement.temp.path.c_str();
  const char* to = replacement.target.c_str();
  if (RetryingInterrupts([&] { return ::rename(from, to); }) != 0) {
    ThrowErrno(errno, sites.rename);
  }
  replacement.temp.Commit();

  // The rename itself reaches the disk with the directory.
  const std::string directory_path = DirectoryOf(replacement.target);
  FileHandle directory(RetryingInterrupts(
      [&] { return ::open(directory_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
  if (directory.fd < 0) ThrowErrno(errno, sites.sync_directory);
  if (RetryingInterrupts([&] { return ::fsync(directory.fd); }) != 0) {
    ThrowErrno(errno, sites.sync_directory);
  }
  Close(directory, sites.sync_directory);
}

}  // namespace vork
