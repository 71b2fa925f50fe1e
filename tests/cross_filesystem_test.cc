// Where the kernel cannot copy between two files (here: across file
// systems), entries and files larger than the copy buffer still arrive
// whole, through the buffer.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/support/fixtures.h"
#include "tests/support/run_vork.h"
#include "tests/support/temp_dir.h"

namespace vork::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kOtherFileSystem = "/dev/shm";

bool OnDifferentFileSystems(const fs::path& a, const fs::path& b) {
  struct stat sa {}, sb {};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev != sb.st_dev;
}

TEST(CrossFileSystem, LargeEntriesAndFilesCopyThroughTheBufferWhereTheKernelCannot) {
  TempDir dir;
  if (!OnDifferentFileSystems(kOtherFileSystem, dir.path)) {
    GTEST_SKIP() << kOtherFileSystem << " is not a file system of its own here";
  }
  const fs::path elsewhere = kOtherFileSystem / dir.path.filename();
  fs::create_directory(elsewhere);
  struct RemoveElsewhere {
    fs::path path;
    ~RemoveElsewhere() { fs::remove_all(path); }
  } cleanup{elsewhere};

  const std::vector<std::string> entries = {MakeWav(2, 16, 800000, 1), MakeWav(1, 8, 10, 2),
                                            MakeWav(2, 16, 300000, 3)};
  const std::string archive = Concatenate(entries);
  WriteFile(elsewhere / "real.sfx", archive);
  fs::create_symlink(elsewhere / "real.sfx", dir / "main.sfx");

  const RunResult extract = RunVork(dir.path, {"-x"});
  EXPECT_EQ(extract.out, kBanner + kExtracting + "Total WAV extracted:3\r\n");
  EXPECT_EQ(ReadFile(dir / "SFX_0000.wav"), entries[0]);
  EXPECT_EQ(ReadFile(dir / "SFX_0002.wav"), entries[2]);

  // Building reads the big file from the other file system.
  fs::copy_file(dir / "SFX_0000.wav", elsewhere / "big.wav");
  WriteFile(dir / "main.txt", (elsewhere / "big.wav").string() + "\nSFX_0001.wav\nSFX_0002.wav\n");
  fs::remove(dir / "main.sfx");

  const RunResult build = RunVork(dir.path, {"-b"});
  EXPECT_EQ(build.out, kBanner + "Building MAIN.SFX...\r\nTotal WAVs added:3\r\n");
  EXPECT_EQ(ReadFile(dir / "main.sfx"), archive);
}

}  // namespace
}  // namespace vork::testing
