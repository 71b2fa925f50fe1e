#include "formats/manifest_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace vork {
namespace {

using namespace std::string_literals;

// Reads `manifest` fed in pieces of `piece` bytes, as the tool reads it.
std::vector<ManifestLine> ReadLines(const std::string& manifest, std::size_t piece) {
  ManifestReader reader;
  std::vector<ManifestLine> lines;
  ManifestLine line;
  for (std::size_t at = 0; at < manifest.size(); at += piece) {
    std::string_view input = std::string_view(manifest).substr(at, piece);
    while (NextManifestLine(reader, input, line)) lines.push_back(line);
  }
  if (LastManifestLine(reader, line)) lines.push_back(line);
  return lines;
}

std::vector<std::string> Texts(const std::vector<ManifestLine>& lines) {
  std::vector<std::string> texts;
  for (const auto& line : lines) texts.push_back(line.text);
  return texts;
}

TEST(ManifestReader, SplitsLinesTheSameWayWhateverPiecesTheBytesArriveIn) {
  const struct {
    std::string manifest;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\n\n", {"a", ""}},
      {"\n", {""}},
      // A CR without LF is dropped; CRs alone never end a line.
      {"a\rb\rc", {"abc"}},
      {"a\r\r\nb", {"a", "b"}},
      {"a\n\rb", {"a", "b"}},
      {"a\r", {"a"}},
      // Byte 26 ends the manifest first in the file or right after a LF.
      {"\x1a", {}},
      {"\x1a" "a\n", {}},
      {"a\n\x1a" "b\n", {"a"}},
      {"a\r\n\x1a" "b", {"a"}},
      {"a\n\r\x1a" "b", {"a", "\x1a" "b"}},
      {"a\x1a\n", {"a\x1a"}},
      {"a\n \x1a", {"a", " \x1a"}},
      // Every other byte stays, a byte 0 and a byte-order mark included.
      {"a\0b\n"s, {"a\0b"s}},
      {"\xef\xbb\xbf" "a", {"\xef\xbb\xbf" "a"}},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, c.manifest.size() + 1}) {
      EXPECT_EQ(Texts(ReadLines(c.manifest, piece)), c.lines)
          << "manifest [" << c.manifest << "] in pieces of " << piece;
    }
  }
}

TEST(ManifestReader, NamesAreTheTrimmedTextBeforeTheFirstSemicolon) {
  const struct {
    std::string line;
    std::string name;
  } cases[] = {
      {"SFX_0000.wav;This is a comment", "SFX_0000.wav"},
      {"  SFX_0003.wav  ;  door", "SFX_0003.wav"},
      {"\t\x01 name \x1f\x20;x", "name"},
      {"\0name\0"s, "name"},
      {"a;b;c", "a"},
      {"in side ; x", "in side"},
      {"no comment", "no comment"},
      {";only a comment", ""},
      {" \t ", ""},
      {"", ""},
      {"\x7f" "name" "\x80", "\x7f" "name" "\x80"},
      {"a\0b;c"s, "a\0b"s},
      {"../up/x.wav;", "../up/x.wav"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameOfLine(ManifestLine{c.line, false}), c.name) << "[" << c.line << "]";
  }
}

TEST(ManifestReader, AVeryLongLineIsHeldOnlyUpToTheCut) {
  const std::string comment(3 * kMaxHeldLine, 'c');
  const auto lines = ReadLines("a.wav;" + comment + "\r\nb.wav\r\n", 4096);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text.size(), kMaxHeldLine);
  EXPECT_EQ(NameOfLine(lines[0]), "a.wav");
  EXPECT_FALSE(lines[0].name_runs_past_cut);
  EXPECT_EQ(NameOfLine(lines[1]), "b.wav");
}

TEST(ManifestReader, ANameOnlyBlanksFollowPastTheCutIsStillWhole) {
  const std::string blanks(2 * kMaxHeldLine, ' ');
  const auto lines = ReadLines("a.wav" + blanks + ";c\n" + "b.wav" + blanks + "\n", 1000);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_FALSE(lines[0].name_runs_past_cut);
  EXPECT_EQ(NameOfLine(lines[0]), "a.wav");
  EXPECT_FALSE(lines[1].name_runs_past_cut);
  EXPECT_EQ(NameOfLine(lines[1]), "b.wav");
}

TEST(ManifestReader, ANameThatGoesOnPastTheCutIsMarkedSoItNamesNoShorterFile) {
  const std::string blanks(2 * kMaxHeldLine, ' ');
  const auto lines = ReadLines("a.wav" + blanks + "x;c\n", 1000);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].name_runs_past_cut);
  EXPECT_NE(NameOfLine(lines[0]), "a.wav");
  EXPECT_EQ(NameOfLine(lines[0]).substr(0, 5), "a.wav");
}

}  // namespace
}  // namespace vork
