#include "tests/support/run_vork.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <regex>
#include <stdexcept>

namespace vork::testing {

const std::string kBanner =
    "VORK builder, version 1.0\r\n"
    "Splits a sound archive into WAV files and joins them again.\r\n"
    "\r\n"
    "Usage:  VORK -x|b\r\n"
    "Switchs: -x : Extract WAV files from MAIN.SFX\r\n"
    "         -b : Build MAIN.SFX with the WAV files using main.txt\r\n";

namespace {
const std::regex kSitePattern(" in module vork at ([0-9A-F]{8})\\.\r\n");
}

std::string Report(const std::string& class_name, const std::string& message) {
  return "Exception " + class_name + " in module vork at XXXXXXXX.\r\n" + message + ".\r\n\r\n";
}

std::string MaskSite(std::string out) {
  return std::regex_replace(out, kSitePattern, " in module vork at XXXXXXXX.\r\n");
}

std::string SiteOf(const std::string& out) {
  std::smatch match;
  return std::regex_search(out, match, kSitePattern) ? match[1].str() : "";
}

namespace {

[[noreturn]] void ChildFail() { _exit(127); }

void SetLimit(int resource, rlim_t value) {
  const rlimit limit{value, value};
  if (setrlimit(resource, &limit) != 0) ChildFail();
}

void DropPrivileges() {
  if (geteuid() != 0) return;  // Already unprivileged.
  constexpr gid_t kNobody = 65534;
  if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) ChildFail();
}

std::string Drain(int fd) {
  std::string text;
  char chunk[4096];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got > 0) text.append(chunk, static_cast<std::size_t>(got));
    else if (got == 0 || errno != EINTR) break;
  }
  return text;
}

}  // namespace

RunningVork StartVork(const std::filesystem::path& dir, const std::vector<std::string>& args,
                      const RunOptions& options) {
  int out_pipe[2];
  int err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> argv_text = {VORK_BINARY};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string dir_text = dir.string();

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // The tool must set up its own signal handling.
    signal(SIGPIPE, SIG_DFL);
    signal(SIGXFSZ, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    if (dup2(err_pipe[1], 2) < 0) ChildFail();
    switch (options.stdout_mode) {
      case Stdout::kCapture:
        if (dup2(out_pipe[1], 1) < 0) ChildFail();
        break;
      case Stdout::kClosed:
        close(1);
        break;
      case Stdout::kDevFull:
      case Stdout::kFile: {
        const char* path =
            options.stdout_mode == Stdout::kDevFull ? "/dev/full" : options.stdout_file.c_str();
        const int file = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (file < 0 || dup2(file, 1) < 0) ChildFail();
        close(file);
        break;
      }
    }
    // Only 0, 1 and 2 reach the tool, whatever the test runner left open.
    if (close_range(3, ~0U, 0) != 0) ChildFail();
    if (chdir(dir_text.c_str()) != 0) ChildFail();
    if (options.unprivileged) DropPrivileges();
    if (options.file_size_limit) SetLimit(RLIMIT_FSIZE, *options.file_size_limit);
    if (options.open_files_limit) SetLimit(RLIMIT_NOFILE, *options.open_files_limit);
    if (options.address_space_limit) SetLimit(RLIMIT_AS, *options.address_space_limit);
    for (const auto& setting : options.environment) putenv(const_cast<char*>(setting.c_str()));
    if (options.stop_before_exec) raise(SIGSTOP);
    execv(argv[0], argv.data());
    ChildFail();
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  if (options.stop_before_exec) {
    int status = 0;
    if (waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status)) {
      throw std::runtime_error("child did not stop");
    }
  }
  return RunningVork{pid, out_pipe[0], err_pipe[0]};
}

void ContinueVork(const RunningVork& running) { kill(running.pid, SIGCONT); }

RunResult WaitVork(RunningVork& running) {
  RunResult result;
  // Both pipes are small here: read stdout fully, then stderr.
  result.out = Drain(running.out_fd);
  result.err = Drain(running.err_fd);
  close(running.out_fd);
  close(running.err_fd);
  int status = 0;
  while (waitpid(running.pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.term_signal = WTERMSIG(status);
  return result;
}

}  // namespace vork::testing
