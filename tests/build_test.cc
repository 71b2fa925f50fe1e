// Building end to end: the manifest's files joined into main.sfx, and the
// old archive kept intact whenever the build stops.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/support/fixtures.h"
#include "tests/support/run_vork.h"
#include "tests/support/temp_dir.h"

namespace vork::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kBuilding = "Building MAIN.SFX...\r\n";
const std::string kOldArchive = "the old archive, which must survive";

std::string Total(std::size_t count) { return "Total WAVs added:" + std::to_string(count) + "\r\n"; }

unsigned ModeOf(const fs::path& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

unsigned CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

TEST(Build, ExtractingThenBuildingGivesBackTheSameArchive) {
  TempDir dir;
  // Files larger than the copy buffer, at a page boundary of the archive
  // and off one.
  std::vector<std::string> entries = {MakeWav(2, 16, 700000, 8)};
  for (std::string& entry : SampleEntries()) entries.push_back(std::move(entry));
  entries.push_back(MakeWav(2, 16, 700000, 9));
  entries.push_back(MakeWav(1, 8, 3, 10));
  const std::string archive = Concatenate(entries);
  WriteFile(dir / "main.sfx", archive);
  ASSERT_EQ(RunVork(dir.path, {"-x"}).exit_code, 0);

  const RunResult run = RunVork(dir.path, {"-b"});

  EXPECT_EQ(run.out, kBanner + kBuilding + Total(entries.size()));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadFile(dir / "main.sfx"), archive);
  EXPECT_EQ(RunVork(dir.path, {"-B"}).exit_code, 0);
  EXPECT_EQ(ReadFile(dir / "main.sfx"), archive);
}

TEST(Build, FollowsTheManifestRulesAUserEditingItRelyOn) {
  TempDir dir;
  const std::string a = MakeWav(1, 8, 11, 1);
  const std::string b = MakeWav(2, 16, 5, 2);
  fs::create_directory(dir / "sub");
  WriteFile(dir / "a.wav", a);
  WriteFile(dir / "sub/b.wav", b);
  WriteFile(dir / "empty.wav", "");
  const std::string manifest =
      "a.wav;first\r\n"
      "\r\n"
      "   \t  \n"
      ";a comment alone\n"
      "  sub/b.wav  ;  two ; semicolons\n"
      "empty.wav\n"
      "\ta.wav\t\r\n"
      "" + (dir / "sub/b.wav").string() + "\n"
      "sub/../a.wav;last line without a line end";
  WriteFile(dir / "main.txt", manifest);

  const RunResult run = RunVork(dir.path, {"-b"});

  EXPECT_EQ(run.out, kBanner + kBuilding + Total(6));
  EXPECT_EQ(ReadFile(dir / "main.sfx"), a + b + a + b + a);
}

TEST(Build, Byte26AfterALineFeedEndsTheManifest) {
  TempDir dir;
  const std::string a = MakeWav(1, 8, 11, 1);
  WriteFile(dir / "a.wav", a);
  WriteFile(dir / "main.txt", "a.wav\r\n\x1a" "missing.wav\r\n");
  const RunResult run = RunVork(dir.path, {"-b"});
  EXPECT_EQ(run.out, kBanner + kBuilding + Total(1));
  EXPECT_EQ(ReadFile(dir / "main.sfx"), a);
}

TEST(Build, AnEmptyManifestBuildsAnEmptyArchive) {
  TempDir dir;
  WriteFile(dir / "main.txt", "");
  WriteFile(dir / "main.sfx", kOldArchive);
  const RunResult run = RunVork(dir.path, {"-b"});
  EXPECT_EQ(run.out, kBanner + kBuilding + Total(0));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(ReadFile(dir / "main.sfx"), "");
  EXPECT_EQ(ListDir(dir.path), "main.sfx main.txt");
}

TEST(Build, AMissingManifestIsReportedAndNothingIsTouched) {
  for (const bool as_directory : {false, true}) {
    TempDir dir;
    WriteFile(dir / "main.sfx", kOldArchive);
    if (as_directory) fs::create_directory(dir / "main.txt");
    const std::string before = ListDir(dir.path);
    const RunResult run = RunVork(dir.path, {"-b"});
    EXPECT_EQ(run.out, kBanner + "Error...Main.txt no found.\r\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(ReadFile(dir / "main.sfx"), kOldArchive);
    EXPECT_EQ(ListDir(dir.path), before);
  }
}

struct StopCase {
  const char* what;
  std::string line;          // The third of five manifest lines.
  std::string error_line;    // Printed after "Building MAIN.SFX...".
};

// A build that stops with its own error line leaves the old archive, and
// no temporary file, whether or not there was an archive before.
TEST(Build, StopsAtTheFirstBadNameAndKeepsTheOldArchive) {
  const std::string long_name = "a.wav" + std::string(70000, ' ') + "x";
  const StopCase cases[] = {
      {"missing file", "gone.wav;comment", "Error...file not exist:gone.wav"},
      {"directory", " sub ", "Error...file not exist:sub"},
      {"name with a byte 0", "a.wav\0b.wav"s, "Error...file not exist:a.wav\0b.wav"s},
      {"name past the cut", long_name, "Error...file not exist:" + long_name.substr(0, 65536)},
      {"pad byte after the RIFF span", "padded.wav", "Error...WAV size mismatch:padded.wav"},
      {"file shorter than its span", "cut.wav", "Error...WAV size mismatch:cut.wav"},
      {"file shorter than a header", "tiny.wav", "Error...WAV size mismatch:tiny.wav"},
  };
  for (const bool had_archive : {true, false}) {
    for (const auto& c : cases) {
      TempDir dir;
      const std::string a = MakeWav(1, 8, 11, 1);
      WriteFile(dir / "a.wav", a);
      WriteFile(dir / "padded.wav", a + '\0');
      WriteFile(dir / "cut.wav", a.substr(0, a.size() - 1));
      WriteFile(dir / "tiny.wav", "RIFF\0"s);
      fs::create_directory(dir / "sub");
      WriteFile(dir / "main.txt", "a.wav\r\na.wav\r\n" + c.line + "\r\na.wav\r\na.wav\r\n");
      if (had_archive) WriteFile(dir / "main.sfx", kOldArchive);
      const std::string before = ListDir(dir.path);

      const RunResult run = RunVork(dir.path, {"-b"});

      EXPECT_EQ(run.out, kBanner + kBuilding + c.error_line + "\r\n") << c.what;
      EXPECT_EQ(run.exit_code, 1) << c.what;
      EXPECT_EQ(ListDir(dir.path), before) << c.what;
      if (had_archive) {
        EXPECT_EQ(ReadFile(dir / "main.sfx"), kOldArchive) << c.what;
      }
    }
  }
}

TEST(Build, AnEmptyListedFileAddsNothingButCounts) {
  TempDir dir;
  const std::string a = MakeWav(1, 8, 11, 1);
  WriteFile(dir / "a.wav", a);
  WriteFile(dir / "empty.wav", "");
  WriteFile(dir / "main.txt", "empty.wav\na.wav\nempty.wav\n");
  const RunResult run = RunVork(dir.path, {"-b"});
  EXPECT_EQ(run.out, kBanner + kBuilding + Total(3));
  EXPECT_EQ(ReadFile(dir / "main.sfx"), a);
}

TEST(Build, TheNewArchiveKeepsTheOldOnesModeOrGetsTheDefault) {
  const std::string a = MakeWav(1, 8, 11, 1);
  {
    TempDir dir;
    WriteFile(dir / "a.wav", a);
    WriteFile(dir / "main.txt", "a.wav\n");
    ASSERT_EQ(RunVork(dir.path, {"-b"}).exit_code, 0);
    EXPECT_EQ(ModeOf(dir / "main.sfx"), 0666 & ~CurrentUmask());
  }
  for (const unsigned mode : {0600u, 0640u, 0664u, 0755u}) {
    TempDir dir;
    WriteFile(dir / "a.wav", a);
    WriteFile(dir / "main.txt", "a.wav\n");
    WriteFile(dir / "main.sfx", kOldArchive);
    fs::permissions(dir / "main.sfx", fs::perms(mode));
    ASSERT_EQ(RunVork(dir.path, {"-b"}).exit_code, 0);
    EXPECT_EQ(ModeOf(dir / "main.sfx"), mode);
    EXPECT_EQ(ReadFile(dir / "main.sfx"), a);
  }
}

TEST(Build, ALinkedArchiveKeepsItsLinkAndItsTargetIsReplaced) {
  const std::string a = MakeWav(1, 8, 11, 1);
  for (const bool dangling : {false, true}) {
    TempDir dir;
    fs::create_directory(dir / "store");
    WriteFile(dir / "a.wav", a);
    WriteFile(dir / "main.txt", "a.wav\n");
    if (!dangling) WriteFile(dir / "store/real.sfx", kOldArchive);
    fs::create_symlink("store/real.sfx", dir / "main.sfx");

    const RunResult run = RunVork(dir.path, {"-b"});

    EXPECT_EQ(run.out, kBanner + kBuilding + Total(1));
    EXPECT_TRUE(fs::is_symlink(dir / "main.sfx"));
    EXPECT_EQ(fs::read_symlink(dir / "main.sfx"), "store/real.sfx");
    EXPECT_EQ(ReadFile(dir / "store/real.sfx"), a);
    EXPECT_EQ(ListDir(dir / "store"), "real.sfx");
  }
}

TEST(Build, AStaleTemporaryFileOfTheSameNameIsLeftAlone) {
  TempDir dir;
  const std::string a = MakeWav(1, 8, 11, 1);
  WriteFile(dir / "a.wav", a);
  WriteFile(dir / "main.txt", "a.wav\n");
  RunOptions options;
  options.stop_before_exec = true;
  RunningVork running = StartVork(dir.path, {"-b"}, options);
  const std::string stale = ".main.sfx." + std::to_string(running.pid) + ".tmp";
  WriteFile(dir / stale, "left by a killed run");
  ContinueVork(running);
  const RunResult run = WaitVork(running);

  EXPECT_EQ(run.out, kBanner + kBuilding + Total(1));
  EXPECT_EQ(ReadFile(dir / "main.sfx"), a);
  EXPECT_EQ(ReadFile(dir / stale), "left by a killed run");
  EXPECT_EQ(ListDir(dir.path), stale + " a.wav main.sfx main.txt");
}

TEST(Build, ATotalLineThatCannotBeWrittenFailsButKeepsTheNewArchive) {
  TempDir dir;
  const std::string a = MakeWav(1, 8, 11, 1);
  WriteFile(dir / "a.wav", a);
  WriteFile(dir / "main.txt", "a.wav\n");
  WriteFile(dir / "main.sfx", kOldArchive);
  // Standard output is a file that may grow just enough for the lines
  // before the total; the archive is smaller still.
  RunOptions options;
  options.stdout_mode = Stdout::kFile;
  options.stdout_file = (dir / "out.log").string();
  options.file_size_limit = kBanner.size() + kBuilding.size();
  ASSERT_LT(a.size(), *options.file_size_limit);

  const RunResult run = RunVork(dir.path, {"-b"}, options);

  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(ReadFile(dir / "out.log"), kBanner + kBuilding);
  EXPECT_EQ(ReadFile(dir / "main.sfx"), a);
  EXPECT_EQ(ListDir(dir.path), "a.wav main.sfx main.txt out.log");
}

}  // namespace
}  // namespace vork::testing
