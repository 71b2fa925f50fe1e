// Extraction when the system refuses: permissions (run as an unprivileged
// user, since root is refused nothing), resource limits, and signals.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
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

const std::string kAccessDenied = Report("EInOutError", "File access denied");

struct PermissionCase {
  const char* what;
  std::function<void(const TempDir&)> prepare;
  std::string expected_tail;     // What follows the banner.
  std::size_t entries_extracted; // SFX files that must be complete afterwards.
  std::string files_afterwards;  // ListDir() afterwards.
  std::string manifest;          // main.txt afterwards, where it exists.
  const char* untouched = "";    // A file of the user's that must still hold "keep me".
};

void KeepMe(const fs::path& path) {
  WriteFile(path, "keep me");
  fs::permissions(path, fs::perms(0444));
}

TEST(ExtractPermissions, RefusalsAreReportedAndLeaveOnlyListedCompleteEntries) {
  const auto entries = SampleEntries();
  const PermissionCase cases[] = {
      {"read-only archive extracts normally",
       [](const TempDir& dir) { fs::permissions(dir / "main.sfx", fs::perms(0444)); },
       kExtracting + "Total WAV extracted:4\r\n", 4,
       "SFX_0000.wav SFX_0001.wav SFX_0002.wav SFX_0003.wav main.sfx main.txt",
       ExtractedManifest(4)},
      {"unreadable archive",
       [](const TempDir& dir) { fs::permissions(dir / "main.sfx", fs::perms(0)); },
       kExtracting + kAccessDenied, 0, "main.sfx", ""},
      {"read-only manifest", [](const TempDir& dir) { KeepMe(dir / "main.txt"); },
       kExtracting + kAccessDenied, 0, "main.sfx main.txt", "keep me", "main.txt"},
      {"read-only second entry file", [](const TempDir& dir) { KeepMe(dir / "SFX_0001.wav"); },
       kExtracting + kAccessDenied, 1, "SFX_0000.wav SFX_0001.wav main.sfx main.txt",
       ExtractedManifest(1), "SFX_0001.wav"},
      {"directory in place of the third entry file",
       [](const TempDir& dir) { fs::create_directory(dir / "SFX_0002.wav"); },
       kExtracting + kAccessDenied, 2, "SFX_0000.wav SFX_0001.wav SFX_0002.wav main.sfx main.txt",
       ExtractedManifest(2)},
      {"read-only directory",
       [](const TempDir& dir) { fs::permissions(dir.path, fs::perms(0555)); },
       kExtracting + kAccessDenied, 0, "main.sfx", ""},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "main.sfx", Concatenate(entries));
    c.prepare(dir);

    const RunResult run = RunVork(dir.path, {"-x"}, AsNobody());

    const bool fails = c.expected_tail == kExtracting + kAccessDenied;
    EXPECT_EQ(MaskSite(run.out), kBanner + c.expected_tail) << c.what;
    EXPECT_EQ(run.exit_code, fails ? 1 : 0) << c.what;
    EXPECT_EQ(ListDir(dir.path), c.files_afterwards) << c.what;
    if (fs::exists(dir / "main.txt")) {
      EXPECT_EQ(ReadFile(dir / "main.txt"), c.manifest) << c.what;
    }
    for (std::size_t i = 0; i < c.entries_extracted; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "SFX_%04zu.wav", i);
      EXPECT_EQ(ReadFile(dir / name), entries[i]) << c.what << ": " << name;
    }
    if (*c.untouched != '\0') {
      EXPECT_EQ(ReadFile(dir / c.untouched), "keep me") << c.what;
    }
  }
}

TEST(ExtractLimits, AWriteBeyondTheFileSizeLimitRemovesThePartialEntry) {
  TempDir dir;
  const std::vector<std::string> entries = {MakeWav(1, 8, 1000, 1), MakeWav(2, 16, 50000, 2)};
  WriteFile(dir / "main.sfx", Concatenate(entries));

  const RunResult run = RunVork(dir.path, {"-x"}, WithFileSizeLimit(100000));

  EXPECT_EQ(MaskSite(run.out), kBanner + kExtracting + Report("EInOutError", "I/O error 27"));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(ListDir(dir.path), "SFX_0000.wav main.sfx main.txt");
  EXPECT_EQ(ReadFile(dir / "SFX_0000.wav"), entries[0]);
  EXPECT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(1));
}

TEST(ExtractLimits, TooFewFileDescriptorsIsReportedAsTooManyOpenFiles) {
  TempDir dir;
  WriteFile(dir / "main.sfx", Concatenate(SampleEntries()));

  // Standard input, output and error, the archive and the manifest: no room
  // for an entry file.
  const RunResult run = RunVork(dir.path, {"-x"}, WithOpenFilesLimit(5));

  EXPECT_EQ(MaskSite(run.out), kBanner + kExtracting + Report("EInOutError", "Too many open files"));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(ListDir(dir.path), "main.sfx main.txt");
  EXPECT_EQ(ReadFile(dir / "main.txt"), "");
}

// Between too little address space to start at all and enough to run, some
// limit lets the run start but not have its copy buffer: that must end in
// the out-of-memory report, with nothing extracted.
TEST(ExtractLimits, NoMemoryForTheCopyBufferIsReportedAsOutOfMemory) {
#ifdef VORK_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve far more address space than any limit here";
#endif
  int out_of_memory = 0;
  for (rlim_t limit = 2 << 20; limit <= 24 << 20; limit += 128 << 10) {
    TempDir dir;
    WriteFile(dir / "main.sfx", Concatenate(SampleEntries()));
    RunOptions options;
    options.address_space_limit = limit;
    const RunResult run = RunVork(dir.path, {"-x"}, options);
    if (!run.out.starts_with(kBanner)) continue;  // Could not even start.
    if (run.exit_code == 0) {
      EXPECT_EQ(run.out, kBanner + kExtracting + "Total WAV extracted:4\r\n") << limit;
      continue;
    }
    ++out_of_memory;
    EXPECT_EQ(MaskSite(run.out), kBanner + kExtracting + Report("EOutOfMemory", "Out of memory"))
        << limit;
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(ListDir(dir.path), "main.sfx main.txt") << limit;
  }
  EXPECT_GT(out_of_memory, 0) << "no limit between start-up and the copy buffer";
}

// Waits until `predicate` holds, for at most ten seconds.
bool Eventually(const std::function<bool()>& predicate) {
  for (int i = 0; i < 1000; ++i) {
    if (predicate()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// The second entry file is a FIFO, so the run can be caught in the middle
// of writing it: this test reads a little of it, then signals.
TEST(ExtractSignals, AnInterruptedEntryIsRemovedAndTheSignalEndsTheRun) {
  for (const int signal_number : {SIGINT, SIGTERM}) {
    TempDir dir;
    const std::vector<std::string> entries = {MakeWav(1, 8, 100, 1), MakeWav(2, 16, 200000, 2)};
    WriteFile(dir / "main.sfx", Concatenate(entries));
    ASSERT_EQ(mkfifo((dir / "SFX_0001.wav").c_str(), 0666), 0);
    const int reader = open((dir / "SFX_0001.wav").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    RunningVork running = StartVork(dir.path, {"-x"});
    pollfd ready{reader, POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 10000), 1);
    char some[1000];
    ASSERT_GT(read(reader, some, sizeof some), 0);
    kill(running.pid, signal_number);
    const RunResult run = WaitVork(running);
    close(reader);

    EXPECT_EQ(run.term_signal, signal_number);
    EXPECT_EQ(run.out, kBanner + kExtracting);
    EXPECT_EQ(ListDir(dir.path), "SFX_0000.wav main.sfx main.txt");
    EXPECT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(1));
    EXPECT_EQ(ReadFile(dir / "SFX_0000.wav"), entries[0]);
  }
}

// Blocked opening the FIFO, the run has not touched it yet: it must stay.
TEST(ExtractSignals, AnInterruptBeforeTheEntryIsOpenedRemovesNothingOfTheUsers) {
  for (const int signal_number : {SIGINT, SIGTERM}) {
    TempDir dir;
    const auto entries = SampleEntries();
    WriteFile(dir / "main.sfx", Concatenate(entries));
    ASSERT_EQ(mkfifo((dir / "SFX_0001.wav").c_str(), 0666), 0);

    RunningVork running = StartVork(dir.path, {"-x"});
    ASSERT_TRUE(Eventually([&] {
      return fs::exists(dir / "main.txt") && ReadFile(dir / "main.txt") == ExtractedManifest(1);
    }));
    kill(running.pid, signal_number);
    const RunResult run = WaitVork(running);

    EXPECT_EQ(run.term_signal, signal_number);
    EXPECT_EQ(run.out, kBanner + kExtracting);
    EXPECT_EQ(ListDir(dir.path), "SFX_0000.wav SFX_0001.wav main.sfx main.txt");
    EXPECT_TRUE(fs::is_fifo(dir / "SFX_0001.wav"));
  }
}

}  // namespace
}  // namespace vork::testing
