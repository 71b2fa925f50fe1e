#pragma once
// Inside platform/ only: how every system call is made, and how its
// failure becomes the run's failure.

#include <cerrno>

#include "platform/failure.h"
#include "platform/io_codes.h"
#include "platform/process.h"

namespace vork {

/// Makes the call, again while it reports EINTR. A termination signal that
/// has arrived ends the run before the call instead. Returns the call's
/// result; on failure errno is as the call left it.
template <typename Call>
auto RetryingInterrupts(Call call) {
  for (;;) {
    ThrowIfInterrupted();
    const auto result = call();
    if (result >= 0 || errno != EINTR) return result;
  }
}

/// The failure of a call that set `error_number`, detected at `site`.
[[noreturn]] inline void ThrowErrno(int error_number, Site site) {
  throw FailureFromErrno(error_number, site);
}

}  // namespace vork
