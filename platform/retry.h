#pragma once
// Inside platform/ only: how every system call is made.

#include <cerrno>

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

}  // namespace vork
