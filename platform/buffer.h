#pragma once
// The one copy buffer of a run: allocated once, bounded, never sized from a
// file.

#include <cstddef>
#include <memory>

#include "platform/failure.h"

namespace vork {

struct FreeBuffer {
  void operator()(std::byte* data) const noexcept;
};

struct Buffer {
  std::unique_ptr<std::byte[], FreeBuffer> data;
  std::size_t size = 0;
};

/// A page-aligned buffer of `size` bytes; throws EOutOfMemory at `site`.
Buffer AllocateBuffer(std::size_t size, Site site);

}  // namespace vork
