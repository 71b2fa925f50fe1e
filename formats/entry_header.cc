#include "formats/entry_header.h"

namespace vork {

EntryHeader DecodeEntryHeader(std::span<const std::byte, kEntryHeaderSize> bytes) {
  EntryHeader header{};
  for (std::size_t i = 0; i < header.ChunkId.size(); ++i) header.ChunkId[i] = bytes[i];
  header.ChunkSize = std::to_integer<std::uint32_t>(bytes[4]) |
                     std::to_integer<std::uint32_t>(bytes[5]) << 8 |
                     std::to_integer<std::uint32_t>(bytes[6]) << 16 |
                     std::to_integer<std::uint32_t>(bytes[7]) << 24;
  return header;
}

std::optional<std::uint64_t> CompleteEntrySpan(std::span<const std::byte> header_bytes,
                                               std::uint64_t bytes_left) {
  if (header_bytes.size() < kEntryHeaderSize || bytes_left < kEntryHeaderSize) {
    return std::nullopt;
  }
  const auto header = DecodeEntryHeader(header_bytes.first<kEntryHeaderSize>());
  const std::uint64_t span = EntrySpan(header);
  if (span > bytes_left) return std::nullopt;
  return span;
}

}  // namespace vork
