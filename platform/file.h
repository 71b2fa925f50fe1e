#pragma once
// Files: every open, read, write and close the tool makes. Each call is
// checked where it returns and a failure is thrown as EInOutError carrying
// the caller's site. Interrupted calls (EINTR) are retried, except close.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"

namespace vork {

/// An open file descriptor. The destructor closes it without a check, as a
/// safety net on the failure path; the success path calls Close().
struct FileHandle {
  int fd = -1;

  FileHandle() = default;
  explicit FileHandle(int descriptor) : fd(descriptor) {}
  FileHandle(FileHandle&& other) noexcept : fd(other.fd) { other.fd = -1; }
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle();
};

/// A file this run is writing: removed again when the guard goes out of
/// scope, unless Commit() was called. Arm it only after the file was opened
/// by this run, so that a file the run never touched is never removed.
struct PendingFile {
  std::string path;
  bool armed = false;

  explicit PendingFile(std::string file_path) : path(std::move(file_path)) {}
  PendingFile(PendingFile&& other) noexcept : path(std::move(other.path)), armed(other.armed) {
    other.armed = false;
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  void Arm() { armed = true; }
  void Commit() { armed = false; }
};

/// The size of `path` if it is a regular file, after following links.
/// A directory, a device, a FIFO, a name with a byte 0 in it, and a failure
/// of the check itself all count as missing.
std::optional<std::uint64_t> RegularFileSize(std::string_view path);

inline bool IsExistingFile(std::string_view path) { return RegularFileSize(path).has_value(); }

/// Opens an existing file for reading only.
FileHandle OpenForReading(const std::string& path, Site site);

/// What identifies an open file, and its size.
struct FileStatus {
  std::uint64_t size = 0;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

FileStatus StatusOf(const FileHandle& file, Site site);

/// Creates `path` for writing, emptying an existing file of that name,
/// unless that file is `input` itself (through a link): then it fails with
/// "File access denied" and leaves it untouched.
FileHandle CreateTruncated(const std::string& path, const FileStatus& input, Site site);

/// Reads until `size` bytes have come or the file ends; returns the count.
std::size_t ReadUpTo(const FileHandle& file, std::byte* data, std::size_t size, Site site);

/// Writes all `size` bytes, continuing short writes. A write that moves
/// nothing is reported as "Disk full".
void WriteAll(const FileHandle& file, const std::byte* data, std::size_t size, Site site);
void WriteAll(const FileHandle& file, const std::string& text, Site site);

/// Copies up to `size` bytes from the current position of `in` to that of
/// `out` inside the kernel, without passing them through user memory.
/// Returns the count copied, fewer than `size` only where `in` ended. Returns
/// nothing, having copied nothing, where the kernel cannot copy between
/// these two files: the caller then copies through its buffer.
std::optional<std::uint64_t> CopyInKernel(const FileHandle& in, const FileHandle& out,
                                          std::uint64_t size, Site site);

/// Closes the file and reports a failed close like a failed write.
void Close(FileHandle& file, Site site);

/// Removes a file on the failure path; never throws, never checks.
void RemoveFileQuietly(const std::string& path) noexcept;

}  // namespace vork
