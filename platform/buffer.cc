#include "platform/buffer.h"

#include <cstdlib>

namespace vork {

namespace {
constexpr std::size_t kPageSize = 4096;
}

void FreeBuffer::operator()(std::byte* data) const noexcept { std::free(data); }

Buffer AllocateBuffer(std::size_t size, Site site) {
  const std::size_t rounded = (size + kPageSize - 1) / kPageSize * kPageSize;
  auto* data = static_cast<std::byte*>(std::aligned_alloc(kPageSize, rounded));
  if (data == nullptr) throw EOutOfMemory{site};
  return Buffer{std::unique_ptr<std::byte[], FreeBuffer>(data), size};
}

}  // namespace vork
