// Extraction end to end: real WAVs in, exact files, manifest and output out.

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/fixtures.h"
#include "tests/support/run_vork.h"
#include "tests/support/temp_dir.h"

namespace vork::testing {
namespace {

using namespace std::string_literals;

std::string Total(std::size_t count) {
  return "Total WAV extracted:" + std::to_string(count) + "\r\n";
}

void ExpectEntriesExtracted(const TempDir& dir, const std::vector<std::string>& entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "SFX_%04zu.wav", i);
    EXPECT_EQ(ReadFile(dir / name), entries[i]) << name;
  }
}

TEST(Extract, SplitsAnArchiveIntoByteIdenticalFilesAndAManifest) {
  TempDir dir;
  const auto entries = SampleEntries();
  WriteFile(dir / "main.sfx", Concatenate(entries));

  const RunResult run = RunVork(dir.path, {"-x"});

  EXPECT_EQ(run.out, kBanner + kExtracting + Total(4));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  ExpectEntriesExtracted(dir, entries);
  EXPECT_EQ(ReadFile(dir / "SFX_0003.wav").size(), 8u);  // ChunkSize 0: the header alone.
  EXPECT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(4));
  EXPECT_EQ(ListDir(dir.path),
            "SFX_0000.wav SFX_0001.wav SFX_0002.wav SFX_0003.wav main.sfx main.txt");
}

TEST(Extract, AnEmptyArchiveGivesAnEmptyManifest) {
  TempDir dir;
  WriteFile(dir / "main.sfx", "");
  const RunResult run = RunVork(dir.path, {"-x"});
  EXPECT_EQ(run.out, kBanner + kExtracting + Total(0));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(ReadFile(dir / "main.txt"), "");
}

TEST(Extract, OverwritesEarlierEntryFilesAndManifestWithoutAsking) {
  TempDir dir;
  const auto entries = SampleEntries();
  WriteFile(dir / "main.sfx", Concatenate(entries));
  WriteFile(dir / "main.txt", std::string(5000, 'm'));
  WriteFile(dir / "SFX_0001.wav", std::string(100000, 'w'));  // Longer than the new one.

  const RunResult run = RunVork(dir.path, {"-x"});

  EXPECT_EQ(run.exit_code, 0);
  ExpectEntriesExtracted(dir, entries);
  EXPECT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(4));
}

TEST(Extract, AMissingArchiveIsReportedAndNothingIsCreated) {
  const auto make_directory = [](const TempDir& dir) {
    std::filesystem::create_directory(dir / "main.sfx");
  };
  const auto make_dangling_link = [](const TempDir& dir) {
    std::filesystem::create_symlink("elsewhere.sfx", dir / "main.sfx");
  };
  const auto make_nothing = [](const TempDir&) {};
  for (const auto& prepare : {+make_nothing, +make_directory, +make_dangling_link}) {
    TempDir dir;
    prepare(dir);
    const std::string before = ListDir(dir.path);
    const RunResult run = RunVork(dir.path, {"-x"});
    EXPECT_EQ(run.out, kBanner + "Error...Main.sfx no found.\r\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(ListDir(dir.path), before);
  }
}

// An output linked to the archive would empty the archive as it is read.
TEST(Extract, NeverEmptiesTheArchiveThroughALinkedOutputName) {
  const auto entries = SampleEntries();
  const struct {
    const char* what;
    std::function<void(const TempDir&)> link;
    std::size_t listed;
  } cases[] = {
      {"archive hard-linked as the second entry's name",
       [](const TempDir& dir) { std::filesystem::create_hard_link(dir / "main.sfx", dir / "SFX_0001.wav"); },
       1},
      {"entry name linked to the archive",
       [](const TempDir& dir) { std::filesystem::create_symlink("main.sfx", dir / "SFX_0002.wav"); },
       2},
      {"archive a link to the first entry's name",
       [](const TempDir& dir) {
         std::filesystem::rename(dir / "main.sfx", dir / "SFX_0000.wav");
         std::filesystem::create_symlink("SFX_0000.wav", dir / "main.sfx");
       },
       0},
      {"manifest linked to the archive",
       [](const TempDir& dir) { std::filesystem::create_symlink("main.sfx", dir / "main.txt"); },
       0},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "main.sfx", Concatenate(entries));
    c.link(dir);

    const RunResult run = RunVork(dir.path, {"-x"});

    EXPECT_EQ(MaskSite(run.out),
              kBanner + kExtracting + Report("EInOutError", "File access denied"))
        << c.what;
    EXPECT_EQ(ReadFile(dir / "main.sfx"), Concatenate(entries)) << c.what;
    if (std::string(c.what) != "manifest linked to the archive") {
      EXPECT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(c.listed)) << c.what;
    }
    ExpectEntriesExtracted(dir, std::vector(entries.begin(), entries.begin() + c.listed));
  }
}

TEST(Extract, AnEntryNameThatIsADanglingLinkCreatesItsTarget) {
  TempDir dir;
  const auto entries = SampleEntries();
  WriteFile(dir / "main.sfx", Concatenate(entries));
  std::filesystem::create_directory(dir / "kept");
  std::filesystem::create_symlink("kept/second.wav", dir / "SFX_0001.wav");

  const RunResult run = RunVork(dir.path, {"-x"});

  EXPECT_EQ(run.out, kBanner + kExtracting + Total(4));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "SFX_0001.wav"));
  EXPECT_EQ(ReadFile(dir / "kept/second.wav"), entries[1]);
}

TEST(Extract, FollowsALinkedArchive) {
  TempDir dir;
  const auto entries = SampleEntries();
  WriteFile(dir / "real.sfx", Concatenate(entries));
  std::filesystem::create_symlink("real.sfx", dir / "main.sfx");
  const RunResult run = RunVork(dir.path, {"-x"});
  EXPECT_EQ(run.out, kBanner + kExtracting + Total(4));
  ExpectEntriesExtracted(dir, entries);
}

// Every cut of an archive either falls between entries and extracts the
// entries before it, or falls inside an entry and fails with code 100,
// leaving exactly the entries before the cut, all listed, and no other file.
TEST(Extract, EveryTruncationLengthExtractsTheCompleteEntriesThenStops) {
  const std::vector<std::string> entries = {MakeWav(1, 8, 7, 10), MakeWav(1, 8, 0, 11),
                                            MakeWav(2, 16, 5, 12)};
  const std::string archive = Concatenate(entries);
  for (std::size_t length = 0; length <= archive.size(); ++length) {
    TempDir dir;
    WriteFile(dir / "main.sfx", archive.substr(0, length));

    const RunResult run = RunVork(dir.path, {"-x"});

    std::size_t complete = 0;
    std::size_t end = 0;
    while (complete < entries.size() && end + entries[complete].size() <= length) {
      end += entries[complete++].size();
    }
    const bool clean_cut = end == length;
    const std::string expected_tail =
        clean_cut ? Total(complete) : Report("EInOutError", "Read beyond end of file");
    ASSERT_EQ(MaskSite(run.out), kBanner + kExtracting + expected_tail) << "length " << length;
    EXPECT_EQ(run.exit_code, clean_cut ? 0 : 1) << "length " << length;
    EXPECT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(complete)) << "length " << length;
    ExpectEntriesExtracted(dir, std::vector(entries.begin(), entries.begin() + complete));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}),
              static_cast<long>(complete + 2))
        << "length " << length << ": " << ListDir(dir.path);
  }
}

TEST(Extract, AChunkSizeNear4GiBNeverYieldsASmallEntry) {
  for (const std::uint32_t chunk_size : {0xFFFFFFF8u, 0xFFFFFFF9u, 0xFFFFFFFFu, 0x80000000u}) {
    TempDir dir;
    std::string archive = MakeWav(1, 8, 10, 5) + "RIFF\0\0\0\0WAVEfmt "s;
    PutLE32(archive, archive.size() - 12, chunk_size);
    WriteFile(dir / "main.sfx", archive);

    const RunResult run = RunVork(dir.path, {"-x"});

    EXPECT_EQ(MaskSite(run.out),
              kBanner + kExtracting + Report("EInOutError", "Read beyond end of file"));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(ListDir(dir.path), "SFX_0000.wav main.sfx main.txt") << chunk_size;
    EXPECT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(1));
  }
}

TEST(Extract, AFileLongerThanItsRiffSpanShiftsTheNextEntry) {
  TempDir dir;
  std::string padded = MakeWav(1, 8, 3, 6) + '\0';  // A pad byte outside the span.
  WriteFile(dir / "main.sfx", padded + MakeWav(1, 8, 4, 7));
  const RunResult run = RunVork(dir.path, {"-x"});
  // The pad byte starts the next "header", whose ChunkSize is nonsense.
  EXPECT_EQ(MaskSite(run.out),
            kBanner + kExtracting + Report("EInOutError", "Read beyond end of file"));
  EXPECT_EQ(ReadFile(dir / "SFX_0000.wav"), padded.substr(0, padded.size() - 1));
}

TEST(Extract, EntriesLargerThanTheCopyBufferAndManyEntriesAcrossItsEdges) {
  TempDir dir;
  // 2.5 MiB at a page boundary, then enough small entries that some
  // straddle each 1 MiB block, header included, then large entries off page
  // boundaries.
  std::vector<std::string> entries = {MakeWav(2, 16, 655360, 20)};
  for (std::uint32_t i = 0; i < 300; ++i) entries.push_back(MakeWav(1, 8, 997 + 13 * i, 100 + i));
  entries.push_back(MakeWav(2, 16, 300000, 21));
  entries.push_back(MakeWav(2, 16, 655360, 22));
  WriteFile(dir / "main.sfx", Concatenate(entries));

  const RunResult run = RunVork(dir.path, {"-x"});

  EXPECT_EQ(run.out, kBanner + kExtracting + Total(entries.size()));
  ExpectEntriesExtracted(dir, entries);
  EXPECT_EQ(ReadFile(dir / "main.txt"), ExtractedManifest(entries.size()));
}

}  // namespace
}  // namespace vork::testing
