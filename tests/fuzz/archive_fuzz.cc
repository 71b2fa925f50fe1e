// Fuzzes the archive walk over arbitrary bytes: each complete entry starts
// where the one before ended and spans its ChunkSize + 8; together they are
// a prefix of the input, and what is left is refused (code 100 in the
// tool) exactly when it is not empty.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "formats/entry_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> archive(reinterpret_cast<const std::byte*>(data), size);
  std::uint64_t position = 0;
  while (position < size) {
    const auto rest = archive.subspan(position);
    const auto span = vork::CompleteEntrySpan(rest, rest.size());
    if (!span) {
      // Refused: the header is cut, or the entry runs past the end.
      if (rest.size() >= vork::kEntryHeaderSize) {
        const auto header = vork::DecodeEntryHeader(rest.first<vork::kEntryHeaderSize>());
        if (vork::EntrySpan(header) <= rest.size()) std::abort();
      }
      return 0;
    }
    const std::uint32_t chunk_size = static_cast<std::uint32_t>(data[position + 4]) |
                                     static_cast<std::uint32_t>(data[position + 5]) << 8 |
                                     static_cast<std::uint32_t>(data[position + 6]) << 16 |
                                     static_cast<std::uint32_t>(data[position + 7]) << 24;
    if (*span != std::uint64_t{chunk_size} + 8 || *span > rest.size()) std::abort();
    position += *span;
  }
  if (position != size) std::abort();  // The entries tile the whole input.
  return 0;
}
