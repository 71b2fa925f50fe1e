#pragma once
// When a copy is worth handing to the kernel.

#include <cstddef>
#include <cstdint>

namespace vork {

/// The kernel copies a range without passing it through user memory, and
/// file systems that share blocks or copy on the server do it without moving
/// data at all, but only where the source and the target sit at the same
/// offset within a page. Elsewhere every page is written in two pieces: on
/// ext4 that costs about 40 percent more CPU than the buffer loop
/// (bench/kernel_copy.py), so such a range goes through the buffer. A range
/// that fits the buffer costs no more through it.
inline bool KernelCopyPays(std::uint64_t source_offset, std::uint64_t target_offset,
                           std::uint64_t length, std::size_t buffer_size,
                           std::size_t page_size) {
  return length > buffer_size && (source_offset - target_offset) % page_size == 0;
}

}  // namespace vork
