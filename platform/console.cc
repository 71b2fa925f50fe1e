#include "platform/console.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/io_codes.h"
#include "platform/process.h"
#include "platform/system_call.h"

namespace vork {
namespace {

constexpr int kStandardOutput = 1;

}  // namespace

void WriteConsoleLine(std::string_view text, Site site) {
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text);
  line.append("\r\n");
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t put = RetryingInterrupts(
        [&] { return ::write(kStandardOutput, line.data() + done, line.size() - done); });
    if (put < 0 && errno == EBADF) throw EInOutError{site, kIoNoStandardOutput, nullptr};
    if (put < 0) ThrowErrno(errno, site);
    if (put == 0) ThrowErrno(ENOSPC, site);  // A device that takes nothing more is full.
    done += static_cast<std::size_t>(put);
  }
}

void WriteConsoleQuietly(std::string_view text) noexcept {
  std::size_t done = 0;
  while (done < text.size() && !InterruptRequested()) {
    const ssize_t put = ::write(kStandardOutput, text.data() + done, text.size() - done);
    if (put > 0) {
      done += static_cast<std::size_t>(put);
    } else if (put == 0 || errno != EINTR) {
      return;
    }
  }
}

void SoundAlert() noexcept {
  const int tty = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) return;
  const char bell = '\a';
  [[maybe_unused]] const ssize_t ignored = ::write(tty, &bell, 1);
  ::close(tty);
}

}  // namespace vork
