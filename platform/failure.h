#pragma once
// The failures a run can end with. Both travel as exceptions to the one
// failure report in app/; nothing on the way catches them.

#include <cstdint>

namespace vork {

/// A fixed place in the program where a failure is detected. Printed in the
/// failure report as eight upper-case hex digits; see platform/sites.h.
struct Site {
  std::uint32_t code;
};

/// A failed file or console operation.
struct EInOutError {
  Site site;
  int code;            ///< The I/O code: 2..5, 100, 101, 105, or the system's errno.
  const char* message; ///< Fixed text, or nullptr for "I/O error <code>".
};

/// Memory for a buffer could not be had.
struct EOutOfMemory {
  Site site;
};

/// A termination signal arrived; the run unwinds, removing what it was
/// writing, and the process then ends by that signal.
struct Interrupted {
  int signal_number;
};

inline constexpr int kIoReadBeyondEnd = 100;
inline constexpr int kIoDiskFull = 101;
inline constexpr int kIoNoStandardOutput = 105;

/// A read that ended at end of file before the requested bytes came.
inline EInOutError ReadBeyondEndOfFile(Site site) {
  return EInOutError{site, kIoReadBeyondEnd, "Read beyond end of file"};
}

}  // namespace vork
