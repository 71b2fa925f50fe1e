#pragma once
// The process itself: signals, its own file name, and how it ends.

#include <string>
#include <string_view>

namespace vork {

/// Ignores SIGPIPE and SIGXFSZ, so that a failed write is reported as a
/// failure rather than killing the run, and catches SIGINT, SIGTERM and
/// SIGHUP (unless they were already ignored), which then make the next
/// system call throw Interrupted.
void InstallSignalHandlers();

/// Throws Interrupted if a termination signal has arrived. Every wrapper in
/// platform/ calls this before it enters the kernel.
void ThrowIfInterrupted();

/// True once a termination signal has arrived.
bool InterruptRequested();

/// The file name, without directory, of the running executable; falls back
/// to the last component of `argv0`.
std::string ProgramFileName(std::string_view argv0);

/// The status to return from main. If a termination signal arrived, the
/// process is ended by that signal instead, and this does not return.
int FinishProcess(int exit_status);

}  // namespace vork
