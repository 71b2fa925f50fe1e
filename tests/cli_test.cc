// The front end as a user meets it: banner, switches, exit status, and what
// happens when standard output cannot be written.

#include <gtest/gtest.h>

#include "tests/support/fixtures.h"
#include "tests/support/run_vork.h"
#include "tests/support/temp_dir.h"

namespace vork::testing {
namespace {

using namespace std::string_literals;

TEST(Cli, AnyOtherFirstArgumentPrintsOnlyTheBannerAndSucceeds) {
  const std::vector<std::vector<std::string>> argument_lists = {
      {}, {""}, {"x"}, {"-"}, {"-h"}, {"--help"}, {"-xb"}, {"-x "}, {" -x"}, {"/x"}, {"-c", "-x"},
  };
  for (const auto& args : argument_lists) {
    TempDir dir;
    WriteFile(dir / "main.sfx", Concatenate(SampleEntries()));
    const RunResult run = RunVork(dir.path, args);
    const std::string shown = args.empty() ? "(none)" : "[" + args[0] + "]";
    EXPECT_EQ(run.out, kBanner) << shown;
    EXPECT_EQ(run.exit_code, 0) << shown;
    EXPECT_EQ(run.err, "") << shown;
    EXPECT_EQ(ListDir(dir.path), "main.sfx") << shown;
  }
}

TEST(Cli, LowerAndUpperCaseXExtractAndLaterArgumentsAreIgnored) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"-x"}, {"-X"}, {"-x", "-b"}}) {
    TempDir dir;
    WriteFile(dir / "main.sfx", "");
    const RunResult run = RunVork(dir.path, args);
    EXPECT_EQ(run.out, kBanner + kExtracting + "Total WAV extracted:0\r\n") << args[0];
    EXPECT_EQ(run.exit_code, 0);
  }
}

TEST(Cli, LowerAndUpperCaseBBuild) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"-b"}, {"-B"}, {"-b", "-x"}}) {
    TempDir dir;
    WriteFile(dir / "main.txt", "");
    const RunResult run = RunVork(dir.path, args);
    EXPECT_EQ(run.out, kBanner + "Building MAIN.SFX...\r\nTotal WAVs added:0\r\n") << args[0];
    EXPECT_EQ(run.exit_code, 0);
  }
}

// With standard output closed or full, the first banner line already
// fails; the run must end there, before any file is opened.
TEST(Cli, UnwritableStandardOutputEndsTheRunBeforeAnyFileIsTouched) {
  for (const Stdout mode : {Stdout::kClosed, Stdout::kDevFull}) {
    for (const char* operation : {"-x", "-b"}) {
      TempDir dir;
      WriteFile(dir / "main.sfx", Concatenate(SampleEntries()));
      WriteFile(dir / "main.txt", "main.sfx\n");
      const RunResult run = RunVork(dir.path, {operation}, WithStdout(mode));
      EXPECT_EQ(run.exit_code, 1) << operation;
      EXPECT_EQ(run.err, "") << operation;
      EXPECT_EQ(ListDir(dir.path), "main.sfx main.txt") << operation;
      EXPECT_EQ(ReadFile(dir / "main.txt"), "main.sfx\n") << operation;
    }
  }
}

TEST(Cli, FailureSitesAreStableAcrossRunsAndDifferBetweenPlaces) {
  TempDir dir;
  WriteFile(dir / "main.sfx", "RIFF\x09\0\0\0"s);  // Span 17 in an 8-byte archive.
  const std::string past_end = SiteOf(RunVork(dir.path, {"-x"}).out);
  EXPECT_EQ(past_end, SiteOf(RunVork(dir.path, {"-x"}).out));
  WriteFile(dir / "main.sfx", "RIFF");  // Too short for a header.
  const std::string short_header = SiteOf(RunVork(dir.path, {"-x"}).out);
  EXPECT_NE(past_end, "");
  EXPECT_NE(short_header, "");
  EXPECT_NE(past_end, short_header);
}

}  // namespace
}  // namespace vork::testing
