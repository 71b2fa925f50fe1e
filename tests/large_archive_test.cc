// An archive past 2 GiB, with an entry past 2 GiB: positions and sizes must
// be 64-bit all the way, out and back in. The big entry is mostly a hole in the archive, so
// only the extracted copy takes real disk space.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "tests/support/fixtures.h"
#include "tests/support/run_vork.h"
#include "tests/support/temp_dir.h"

namespace vork::testing {
namespace {

constexpr std::uint64_t kBigSpan = (std::uint64_t{1} << 31) + 4096;
constexpr std::uint64_t kMarkerStep = 64 << 20;

std::string Marker(std::uint64_t offset) { return "<mark " + std::to_string(offset) + ">"; }

std::string ReadAt(int fd, std::uint64_t offset, std::size_t size) {
  std::string bytes(size, '\0');
  const ssize_t got = pread(fd, bytes.data(), size, static_cast<off_t>(offset));
  bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
  return bytes;
}

TEST(LargeArchive, ExtractsAndBuildsBackEntriesBeyondTwoGiB) {
#ifdef VORK_SANITIZED
  GTEST_SKIP() << "runs in the plain build only: it copies 2 GiB";
#endif
  TempDir dir;
  struct statvfs disk {};
  ASSERT_EQ(statvfs(dir.path.c_str(), &disk), 0);
  const std::uint64_t free_bytes = std::uint64_t{disk.f_bavail} * disk.f_frsize;
  if (free_bytes < (std::uint64_t{6} << 30)) {
    GTEST_SKIP() << "needs 6 GiB free on the temporary disk, has " << (free_bytes >> 20) << " MiB";
  }

  const std::string first = MakeWav(1, 8, 100, 1);
  const std::string last = MakeWav(2, 16, 1000, 3);
  std::string big_header = "RIFF0000";
  PutLE32(big_header, 4, static_cast<std::uint32_t>(kBigSpan - 8));
  {
    const int fd = open((dir / "main.sfx").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const auto put = [&](std::uint64_t offset, const std::string& bytes) {
      ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)),
                static_cast<ssize_t>(bytes.size()));
    };
    put(0, first);
    put(first.size(), big_header);
    for (std::uint64_t at = kMarkerStep; at < kBigSpan; at += kMarkerStep) {
      put(first.size() + at, Marker(at));
    }
    put(first.size() + kBigSpan - 5, "<end>");
    put(first.size() + kBigSpan, last);
    ASSERT_EQ(close(fd), 0);
  }

  const RunResult run = RunVork(dir.path, {"-x"});

  EXPECT_EQ(run.out, kBanner + kExtracting + "Total WAV extracted:3\r\n");
  EXPECT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(3));
  EXPECT_EQ(ReadFile(dir / "SFX_0000.wav"), first);
  EXPECT_EQ(ReadFile(dir / "SFX_0002.wav"), last);
  EXPECT_EQ(std::filesystem::file_size(dir / "SFX_0001.wav"), kBigSpan);
  const int big = open((dir / "SFX_0001.wav").c_str(), O_RDONLY);
  ASSERT_GE(big, 0);
  EXPECT_EQ(ReadAt(big, 0, 8), big_header);
  for (std::uint64_t at = kMarkerStep; at < kBigSpan; at += kMarkerStep) {
    EXPECT_EQ(ReadAt(big, at, Marker(at).size()), Marker(at));
  }
  EXPECT_EQ(ReadAt(big, kBigSpan - 5, 5), "<end>");
  close(big);

  // And back: the rebuilt archive holds the same bytes at the same places.
  const RunResult build = RunVork(dir.path, {"-b"});
  EXPECT_EQ(build.out, kBanner + "Building MAIN.SFX...\r\nTotal WAVs added:3\r\n");
  const std::uint64_t archive_size = first.size() + kBigSpan + last.size();
  EXPECT_EQ(std::filesystem::file_size(dir / "main.sfx"), archive_size);
  const int archive = open((dir / "main.sfx").c_str(), O_RDONLY);
  ASSERT_GE(archive, 0);
  EXPECT_EQ(ReadAt(archive, 0, first.size() + 8), first + big_header);
  for (std::uint64_t at = kMarkerStep; at < kBigSpan; at += kMarkerStep) {
    EXPECT_EQ(ReadAt(archive, first.size() + at, Marker(at).size()), Marker(at));
  }
  EXPECT_EQ(ReadAt(archive, first.size() + kBigSpan - 5, 5 + last.size()), "<end>" + last);
  close(archive);
}

}  // namespace
}  // namespace vork::testing
