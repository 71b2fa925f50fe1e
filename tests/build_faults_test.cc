// Building when the system refuses: permissions (run as an unprivileged
// user), resource limits and signals. Whatever happens before the rename,
// the old main.sfx stays byte for byte and no temporary file is left.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "tests/support/fixtures.h"
#include "tests/support/run_vork.h"
#include "tests/support/temp_dir.h"

namespace vork::testing {
namespace {

namespace fs = std::filesystem;

const std::string kBuilding = "Building MAIN.SFX...\r\n";
const std::string kOldArchive = "the old archive, which must survive";
const std::string kAccessDenied = Report("EInOutError", "File access denied");

struct RefusalCase {
  const char* what;
  bool had_archive;
  std::function<void(const TempDir&)> prepare;
  bool builds;  // Otherwise it fails with "File access denied".
};

TEST(BuildPermissions, RefusalsLeaveTheOldArchiveAndNoTemporaryFile) {
  const std::string a = MakeWav(1, 8, 11, 1);
  const auto chmod = [](const char* name, unsigned mode) {
    return [=](const TempDir& dir) { fs::permissions(dir / name, fs::perms(mode)); };
  };
  const RefusalCase cases[] = {
      {"read-only manifest builds", true, chmod("main.txt", 0444), true},
      {"read-only input file builds", true, chmod("a.wav", 0444), true},
      {"read-only archive", true, chmod("main.sfx", 0444), false},
      {"unreadable manifest", true, chmod("main.txt", 0), false},
      {"unreadable input file", true, chmod("a.wav", 0), false},
      {"read-only directory with a writable archive", true,
       chmod(".", 0555), false},
      {"read-only directory without an archive", false, chmod(".", 0555), false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "a.wav", a);
    WriteFile(dir / "main.txt", "a.wav\na.wav\n");
    if (c.had_archive) {
      WriteFile(dir / "main.sfx", kOldArchive);
      fs::permissions(dir / "main.sfx", fs::perms(0666));  // Root's file, writable by all.
    }
    const std::string before = ListDir(dir.path);
    c.prepare(dir);

    const RunResult run = RunVork(dir.path, {"-b"}, AsNobody());

    if (c.builds) {
      EXPECT_EQ(run.out, kBanner + kBuilding + "Total WAVs added:2\r\n") << c.what;
      EXPECT_EQ(ReadFile(dir / "main.sfx"), a + a) << c.what;
    } else {
      EXPECT_EQ(MaskSite(run.out), kBanner + kBuilding + kAccessDenied) << c.what;
      EXPECT_EQ(run.exit_code, 1) << c.what;
      if (c.had_archive) {
        EXPECT_EQ(ReadFile(dir / "main.sfx"), kOldArchive) << c.what;
      }
    }
    fs::permissions(dir.path, fs::perms(0777));
    EXPECT_EQ(ListDir(dir.path), c.builds && !c.had_archive ? before + " main.sfx" : before)
        << c.what;
  }
}

TEST(BuildLimits, FailuresFromResourceLimitsLeaveTheOldArchive) {
  const struct {
    const char* what;
    RunOptions options;
    std::string message;
  } cases[] = {
      {"archive larger than the file size limit", WithFileSizeLimit(100000), "I/O error 27"},
      // Standard input, output and error and the manifest: no room for more.
      {"no descriptor left for the archive", WithOpenFilesLimit(4), "Too many open files"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "a.wav", MakeWav(2, 16, 20000, 1));
    WriteFile(dir / "main.txt", "a.wav\na.wav\n");
    WriteFile(dir / "main.sfx", kOldArchive);

    const RunResult run = RunVork(dir.path, {"-b"}, c.options);

    EXPECT_EQ(MaskSite(run.out), kBanner + kBuilding + Report("EInOutError", c.message)) << c.what;
    EXPECT_EQ(run.exit_code, 1) << c.what;
    EXPECT_EQ(ReadFile(dir / "main.sfx"), kOldArchive) << c.what;
    EXPECT_EQ(ListDir(dir.path), "a.wav main.sfx main.txt") << c.what;
  }
}

bool TemporaryFileExists(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().starts_with(".main.sfx.")) return true;
  }
  return false;
}

// A big input that is mostly a hole copies for long enough to be caught
// in the middle, once its temporary archive has appeared.
TEST(BuildSignals, AnInterruptedBuildRemovesItsTemporaryFileAndKeepsTheOldArchive) {
  constexpr off_t kBigSize = off_t{1} << 30;
  for (const int signal_number : {SIGINT, SIGTERM}) {
    TempDir dir;
    {
      std::string header = "RIFF0000";
      PutLE32(header, 4, static_cast<std::uint32_t>(kBigSize - 8));
      const int fd = open((dir / "big.wav").c_str(), O_WRONLY | O_CREAT, 0644);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(write(fd, header.data(), header.size()), 8);
      ASSERT_EQ(ftruncate(fd, kBigSize), 0);
      close(fd);
    }
    WriteFile(dir / "main.txt", "big.wav\nbig.wav\nbig.wav\n");
    WriteFile(dir / "main.sfx", kOldArchive);

    RunningVork running = StartVork(dir.path, {"-b"});
    bool seen = false;
    for (int i = 0; i < 20000 && !seen; ++i) {
      seen = TemporaryFileExists(dir.path);
      if (!seen) std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    kill(running.pid, signal_number);
    const RunResult run = WaitVork(running);

    ASSERT_TRUE(seen);
    EXPECT_EQ(run.term_signal, signal_number);
    EXPECT_EQ(run.out, kBanner + kBuilding);
    EXPECT_EQ(ReadFile(dir / "main.sfx"), kOldArchive);
    EXPECT_EQ(ListDir(dir.path), "big.wav main.sfx main.txt");
  }
}

}  // namespace
}  // namespace vork::testing
