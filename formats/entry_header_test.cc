#include "formats/entry_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vork {
namespace {

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
  std::vector<std::byte> bytes;
  for (int v : values) bytes.push_back(static_cast<std::byte>(v));
  return bytes;
}

TEST(EntryHeader, DecodesLittleEndianChunkSizeAndSpansItPlusEight) {
  const struct {
    std::vector<std::byte> bytes;
    std::uint32_t chunk_size;
    std::uint64_t span;
  } cases[] = {
      // A 44-byte WAV file: RIFF, 36.
      {Bytes({0x52, 0x49, 0x46, 0x46, 0x24, 0x00, 0x00, 0x00}), 36, 44},
      {Bytes({0x52, 0x49, 0x46, 0x46, 0x00, 0x00, 0x00, 0x00}), 0, 8},
      {Bytes({0, 0, 0, 0, 0x01, 0x02, 0x03, 0x04}), 0x04030201, 0x04030209},
      // Near 2^32 the span passes 4 GiB instead of wrapping to a small size.
      {Bytes({0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), 0xFFFFFFFF, 0x100000007},
      {Bytes({0, 0, 0, 0, 0xF8, 0xFF, 0xFF, 0xFF}), 0xFFFFFFF8, 0x100000000},
  };
  for (const auto& c : cases) {
    const EntryHeader header = DecodeEntryHeader(std::span<const std::byte, 8>(c.bytes.data(), 8));
    EXPECT_EQ(header.ChunkSize, c.chunk_size);
    EXPECT_EQ(EntrySpan(header), c.span);
  }
}

TEST(EntryHeader, ChunkIdIsCarriedButNeverDecidesAnything) {
  const auto riff = Bytes({'R', 'I', 'F', 'F', 8, 0, 0, 0});
  const auto junk = Bytes({0, 0xFF, 'x', 7, 8, 0, 0, 0});
  EXPECT_EQ(CompleteEntrySpan(riff, 100), CompleteEntrySpan(junk, 100));
  EXPECT_EQ(DecodeEntryHeader(std::span<const std::byte, 8>(junk.data(), 8)).ChunkId[1],
            std::byte{0xFF});
}

TEST(CompleteEntrySpan, AcceptsOnlyAnEntryThatEndsWithinTheArchive) {
  const auto header = Bytes({'R', 'I', 'F', 'F', 36, 0, 0, 0});  // span 44
  const auto huge = Bytes({'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(CompleteEntrySpan(header, 44), 44u);
  EXPECT_EQ(CompleteEntrySpan(header, 1000), 44u);
  EXPECT_EQ(CompleteEntrySpan(header, 43), std::nullopt);
  EXPECT_EQ(CompleteEntrySpan(huge, 0xFFFFFFFF), std::nullopt);
  EXPECT_EQ(CompleteEntrySpan(huge, 0x100000007), 0x100000007u);
  // Fewer than 8 bytes left cannot even hold the header.
  EXPECT_EQ(CompleteEntrySpan(std::span(header).first(7), 7), std::nullopt);
  EXPECT_EQ(CompleteEntrySpan(header, 7), std::nullopt);
}

}  // namespace
}  // namespace vork
