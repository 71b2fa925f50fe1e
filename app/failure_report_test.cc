#include "app/failure_report.h"

#include <gtest/gtest.h>

namespace vork {
namespace {

TEST(FormatFailureReport, FillsTheFixedLayoutWithCrLfAndAClosingEmptyLine) {
  EXPECT_EQ(FormatFailureReport("EInOutError", "vork", 0x0002000A, "Read beyond end of file"),
            "Exception EInOutError in module vork at 0002000A.\r\n"
            "Read beyond end of file.\r\n"
            "\r\n");
}

TEST(FormatFailureReport, AddsAPeriodOnlyWhereTheMessageLacksOne) {
  const struct {
    std::string_view message;
    std::string_view second_line;
  } cases[] = {
      {"Out of memory", "Out of memory.\r\n"},
      {"Ends with a period.", "Ends with a period.\r\n"},
      {"", "\r\n"},
      {"I/O error 27", "I/O error 27.\r\n"},
  };
  for (const auto& c : cases) {
    const std::string report = FormatFailureReport("EOutOfMemory", "vork", 0xDEADBEEF, c.message);
    EXPECT_EQ(report, "Exception EOutOfMemory in module vork at DEADBEEF.\r\n" +
                          std::string(c.second_line) + "\r\n");
  }
}

TEST(FormatFailureReport, CutsTheFilledTextAt1024CharactersThenAddsCrLf) {
  const std::string module(2000, 'm');
  const std::string report = FormatFailureReport("EInOutError", module, 1, "Disk full");
  ASSERT_EQ(report.size(), 1024u + 2);
  EXPECT_EQ(report.substr(0, 30), "Exception EInOutError in modul");
  EXPECT_EQ(report.substr(1022), "mm\r\n");
}

}  // namespace
}  // namespace vork
