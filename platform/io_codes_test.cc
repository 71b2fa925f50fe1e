#include "platform/io_codes.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace vork {
namespace {

TEST(FailureFromErrno, NamesTheKnownRefusalsAndNumbersEverythingElse) {
  const struct {
    int error_number;
    int code;
    std::string_view message;
  } cases[] = {
      {ENOENT, 2, "File not found"},
      {ENOTDIR, 3, "Invalid filename"},
      {EMFILE, 4, "Too many open files"},
      {ENFILE, 4, "Too many open files"},
      {EACCES, 5, "File access denied"},
      {EPERM, 5, "File access denied"},
      {EISDIR, 5, "File access denied"},
      {EROFS, 5, "File access denied"},
      {ENOSPC, 101, "Disk full"},
      {EDQUOT, 101, "Disk full"},
      // Numbers that collide with a named code keep the system's meaning.
      {EIO, 5, "I/O error 5"},
      {ESRCH, 3, "I/O error 3"},
      {EINTR, 4, "I/O error 4"},
      {EFBIG, 27, "I/O error 27"},
      {EPIPE, 32, "I/O error 32"},
      {ENETDOWN, 100, "I/O error 100"},
      {ENETUNREACH, 101, "I/O error 101"},
      {ENOBUFS, 105, "I/O error 105"},
  };
  for (const auto& c : cases) {
    const EInOutError failure = FailureFromErrno(c.error_number, Site{7});
    EXPECT_EQ(failure.code, c.code) << "errno " << c.error_number;
    EXPECT_EQ(MessageOf(failure), c.message) << "errno " << c.error_number;
    EXPECT_EQ(failure.site.code, 7u);
  }
}

TEST(MessageOf, ReadPastEndAndClosedStandardOutput) {
  EXPECT_EQ(MessageOf(ReadBeyondEndOfFile(Site{1})), "Read beyond end of file");
  EXPECT_EQ(MessageOf(EInOutError{Site{1}, kIoNoStandardOutput, nullptr}), "I/O error 105");
}

}  // namespace
}  // namespace vork
