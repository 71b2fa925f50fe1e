#pragma once
// Runs the built vork binary as a user would, in a given directory, and
// collects exactly what it printed and how it ended.

#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vork::testing {

enum class Stdout { kCapture, kClosed, kDevFull, kFile };

struct RunOptions {
  Stdout stdout_mode = Stdout::kCapture;
  std::string stdout_file;                ///< With Stdout::kFile.
  bool stop_before_exec = false;          ///< See ContinueVork().
  std::vector<std::string> environment;   ///< Extra NAME=value settings.
  bool unprivileged = false;              ///< Run as nobody (uid/gid 65534).
  std::optional<rlim_t> file_size_limit;  ///< RLIMIT_FSIZE in bytes.
  std::optional<rlim_t> open_files_limit; ///< RLIMIT_NOFILE.
  std::optional<rlim_t> address_space_limit;  ///< RLIMIT_AS in bytes.
};

inline RunOptions WithStdout(Stdout mode) {
  RunOptions options;
  options.stdout_mode = mode;
  return options;
}
inline RunOptions AsNobody() {
  RunOptions options;
  options.unprivileged = true;
  return options;
}
inline RunOptions WithFileSizeLimit(rlim_t bytes) {
  RunOptions options;
  options.file_size_limit = bytes;
  return options;
}
inline RunOptions WithOpenFilesLimit(rlim_t count) {
  RunOptions options;
  options.open_files_limit = count;
  return options;
}

struct RunResult {
  std::string out;  ///< Standard output, byte for byte.
  std::string err;  ///< Standard error; the tool never writes there.
  int exit_code = -1;    ///< -1 when ended by a signal.
  int term_signal = 0;   ///< The signal that ended it, or 0.
};

/// A started run whose output is read when it is waited for.
struct RunningVork {
  pid_t pid = -1;
  int out_fd = -1;
  int err_fd = -1;
};

RunningVork StartVork(const std::filesystem::path& dir, const std::vector<std::string>& args,
                      const RunOptions& options = {});
RunResult WaitVork(RunningVork& running);

/// With `stop_before_exec`, StartVork returns once the child has stopped
/// itself, its pid known but vork not yet started; this lets it go on.
void ContinueVork(const RunningVork& running);

inline RunResult RunVork(const std::filesystem::path& dir, const std::vector<std::string>& args,
                         const RunOptions& options = {}) {
  RunningVork running = StartVork(dir, args, options);
  return WaitVork(running);
}

/// The six lines every run begins with.
extern const std::string kBanner;

/// The failure report the binary under test prints for `message` (a "." is
/// added), with its site masked as XXXXXXXX.
std::string Report(const std::string& class_name, const std::string& message);

/// `out` with the site of every failure report replaced by XXXXXXXX, so
/// that whole outputs can be compared byte for byte.
std::string MaskSite(std::string out);

/// The site a failure report in `out` names, or "" when there is none.
std::string SiteOf(const std::string& out);

}  // namespace vork::testing
