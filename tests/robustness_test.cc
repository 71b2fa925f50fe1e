// Damaged archives and killed builds, at seeded random places: every
// failure can be replayed by setting VORK_TEST_SEED to the printed seed.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "tests/support/fixtures.h"
#include "tests/support/run_vork.h"
#include "tests/support/temp_dir.h"

namespace vork::testing {
namespace {

namespace fs = std::filesystem;

std::uint32_t Seed() {
  const char* text = std::getenv("VORK_TEST_SEED");
  const std::uint32_t seed = text ? static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10))
                                  : 20261211u;
  std::printf("seed: %u (set VORK_TEST_SEED to replay)\n", seed);
  return seed;
}

// What extraction must make of `archive`, worked out independently: the
// complete entries from the start, and whether anything is left over.
struct Walk {
  std::vector<std::string> entries;
  bool rest = false;
};

Walk WalkArchive(const std::string& archive) {
  Walk walk;
  std::uint64_t at = 0;
  while (at < archive.size()) {
    const std::uint64_t left = archive.size() - at;
    std::uint64_t span = 0;
    if (left >= 8) {
      for (int i = 7; i >= 4; --i) span = span << 8 | static_cast<unsigned char>(archive[at + i]);
      span += 8;
    }
    if (left < 8 || span > left) {
      walk.rest = true;
      break;
    }
    walk.entries.push_back(archive.substr(at, span));
    at += span;
  }
  return walk;
}

TEST(Robustness, FlippedChunkSizesExtractConsistentlyOrReportReadBeyondEnd) {
  std::mt19937 random(Seed());
  const std::vector<std::string> wavs = {MakeWav(1, 8, 301, 1), MakeWav(2, 16, 50, 2),
                                         MakeWav(1, 8, 0, 3), MakeWav(1, 16, 99, 4)};
  std::vector<std::size_t> starts;
  for (std::size_t i = 0, at = 0; i < wavs.size(); at += wavs[i++].size()) starts.push_back(at);
  const std::string intact = Concatenate(wavs);

  for (int trial = 0; trial < 150; ++trial) {
    std::string archive = intact;
    const std::size_t entry = random() % wavs.size();
    for (int flips = 1 + random() % 3; flips > 0; --flips) {
      archive[starts[entry] + 4 + random() % 4] ^= static_cast<char>(1 << (random() % 8));
    }
    const Walk expected = WalkArchive(archive);
    TempDir dir;
    WriteFile(dir / "main.sfx", archive);

    const RunResult run = RunVork(dir.path, {"-x"});

    const std::string tail =
        expected.rest ? Report("EInOutError", "Read beyond end of file")
                      : "Total WAV extracted:" + std::to_string(expected.entries.size()) + "\r\n";
    ASSERT_EQ(MaskSite(run.out), kBanner + kExtracting + tail) << "trial " << trial;
    ASSERT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(expected.entries.size()))
        << "trial " << trial;
    for (std::size_t i = 0; i < expected.entries.size(); ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "SFX_%04zu.wav", i);
      ASSERT_EQ(ReadFile(dir / name), expected.entries[i]) << "trial " << trial << " " << name;
    }
    ASSERT_EQ(std::distance(fs::directory_iterator(dir.path), {}),
              static_cast<long>(expected.entries.size() + 2))
        << "trial " << trial;
  }
}

// SIGKILL gives the tool no chance to clean up: what is on disk must still
// be the old archive or the complete new one.
TEST(Robustness, ABuildKilledAtAnyMomentLeavesTheOldOrTheNewArchive) {
  std::mt19937 random(Seed());
  TempDir dir;
  const std::string old_archive = "the old archive, which must survive";
  std::string manifest;
  std::string new_archive;
  for (int i = 0; i < 12; ++i) {
    const std::string wav = MakeWav(2, 16, 600000 + 1000 * i, 100 + i);  // About 2.4 MB each.
    WriteFile(dir / ("in" + std::to_string(i) + ".wav"), wav);
    manifest += "in" + std::to_string(i) + ".wav\n";
    new_archive += wav;
  }
  WriteFile(dir / "main.txt", manifest);

  const auto start = std::chrono::steady_clock::now();
  WriteFile(dir / "main.sfx", old_archive);
  ASSERT_EQ(RunVork(dir.path, {"-b"}).exit_code, 0);
  const auto whole_run = std::chrono::steady_clock::now() - start;
  const auto longest = std::chrono::duration_cast<std::chrono::microseconds>(whole_run).count();

  int old_seen = 0;
  int new_seen = 0;
  for (int trial = 0; trial < 30; ++trial) {
    WriteFile(dir / "main.sfx", old_archive);
    RunningVork running = StartVork(dir.path, {"-b"});
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (longest + 1)));
    kill(running.pid, SIGKILL);
    WaitVork(running);

    const std::string archive = ReadFile(dir / "main.sfx");
    ASSERT_TRUE(archive == old_archive || archive == new_archive)
        << "trial " << trial << ": a mix of " << archive.size() << " bytes";
    (archive == old_archive ? old_seen : new_seen) += 1;
  }
  std::printf("killed while the old archive stood: %d, after the new one: %d\n", old_seen,
              new_seen);
}

}  // namespace
}  // namespace vork::testing
