#pragma once
// The 8 bytes at the start of every archive entry: a WAV file's own RIFF
// header. The archive has no index; each entry's span comes from here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vork {

inline constexpr std::size_t kEntryHeaderSize = 8;

struct EntryHeader {
  std::array<std::byte, 4> ChunkId;  ///< "RIFF" in a WAV file; never examined.
  std::uint32_t ChunkSize;           ///< Bytes that follow the header in this entry.
};

/// Decodes a header; ChunkSize is little-endian whatever the host.
EntryHeader DecodeEntryHeader(std::span<const std::byte, kEntryHeaderSize> bytes);

/// The bytes the entry spans, header included: ChunkSize + 8, without
/// overflow (a ChunkSize near 2^32 spans just over 4 GiB).
constexpr std::uint64_t EntrySpan(const EntryHeader& header) {
  return std::uint64_t{header.ChunkSize} + kEntryHeaderSize;
}

/// The span of the entry that starts with `header_bytes`, when the archive
/// still holds all of it in `bytes_left` (counted from the entry's first
/// byte); nothing when the entry runs past the archive's end, including
/// when fewer than 8 bytes are left for its header.
std::optional<std::uint64_t> CompleteEntrySpan(std::span<const std::byte> header_bytes,
                                               std::uint64_t bytes_left);

}  // namespace vork
