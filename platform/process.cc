#include "platform/process.h"

#include <csignal>
#include <unistd.h>

#include "platform/failure.h"

namespace vork {
namespace {

volatile std::sig_atomic_t g_termination_signal = 0;

extern "C" void RecordTerminationSignal(int signal_number) {
  g_termination_signal = signal_number;
}

void CatchUnlessIgnored(int signal_number) {
  struct sigaction current {};
  if (sigaction(signal_number, nullptr, &current) != 0) return;
  // A job started with the signal ignored (nohup, a background job) keeps it so.
  if (current.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = RecordTerminationSignal;
  sigfillset(&action.sa_mask);
  // No SA_RESTART: a call blocked on a pipe or FIFO returns EINTR, so the
  // run notices the signal instead of waiting on forever.
  action.sa_flags = 0;
  sigaction(signal_number, &action, nullptr);
}

std::string_view LastComponent(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

void InstallSignalHandlers() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  CatchUnlessIgnored(SIGINT);
  CatchUnlessIgnored(SIGTERM);
  CatchUnlessIgnored(SIGHUP);
}

void ThrowIfInterrupted() {
  const int signal_number = g_termination_signal;
  if (signal_number != 0) throw Interrupted{signal_number};
}

bool InterruptRequested() { return g_termination_signal != 0; }

std::string ProgramFileName(std::string_view argv0) {
  char target[4096];
  const ssize_t length = readlink("/proc/self/exe", target, sizeof target);
  if (length > 0 && static_cast<size_t>(length) < sizeof target) {
    std::string_view path(target, static_cast<size_t>(length));
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.ends_with(kDeleted)) path.remove_suffix(kDeleted.size());
    return std::string(LastComponent(path));
  }
  return std::string(LastComponent(argv0));
}

int FinishProcess(int exit_status) {
  const int signal_number = g_termination_signal;
  if (signal_number != 0) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
    return 128 + signal_number;  // Only if the signal could not end us.
  }
  return exit_status;
}

}  // namespace vork
