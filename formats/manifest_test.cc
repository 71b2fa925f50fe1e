#include "formats/manifest.h"

#include <gtest/gtest.h>

namespace vork {
namespace {

TEST(EntryFileName, PadsToFourDigitsAndWritesLongerIndexesWhole) {
  const struct {
    std::uint64_t index;
    std::string_view name;
  } cases[] = {
      {0, "SFX_0000.wav"},         {37, "SFX_0037.wav"},
      {9999, "SFX_9999.wav"},      {10000, "SFX_10000.wav"},
      {12345, "SFX_12345.wav"},    {2147483648u, "SFX_2147483648.wav"},
  };
  for (const auto& c : cases) EXPECT_EQ(EntryFileName(c.index), c.name);
}

TEST(ManifestLine, IsNameSemicolonCommentCrLf) {
  EXPECT_EQ(ManifestLine("SFX_0000.wav", kManifestComment),
            "SFX_0000.wav;This is a comment, write any info you need after the \";\"\r\n");
  EXPECT_EQ(ManifestLine("SFX_0001.wav", ""), "SFX_0001.wav;\r\n");
  EXPECT_EQ(kManifestComment.size(), 56u);
}

}  // namespace
}  // namespace vork
