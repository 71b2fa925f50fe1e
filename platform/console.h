#pragma once
// Standard output. Every line goes out at once with its own write call, so
// that what was printed before a failure is never lost in a buffer.

#include <string_view>

#include "platform/failure.h"

namespace vork {

/// Writes `text` and CR LF in one write call. A closed standard output
/// fails with I/O code 105.
void WriteConsoleLine(std::string_view text, Site site);

/// Writes `text` as it stands, stopping silently at the first failure; for
/// the failure report, which has nowhere left to report to.
void WriteConsoleQuietly(std::string_view text) noexcept;

/// Sounds the terminal's bell on /dev/tty, never on standard output. Without
/// a terminal nothing happens; nothing here can fail the run.
void SoundAlert() noexcept;

}  // namespace vork
