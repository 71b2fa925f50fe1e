#include "platform/buffer.h"

#include <cstdlib>

#include <unistd.h>

namespace vork {

void FreeBuffer::operator()(std::byte* data) const noexcept { std::free(data); }

Buffer AllocateBuffer(std::size_t size, Site site) {
  const std::size_t page = PageSize();
  const std::size_t rounded = (size + page - 1) / page * page;
  auto* data = static_cast<std::byte*>(std::aligned_alloc(page, rounded));
  if (data == nullptr) throw EOutOfMemory{site};
  return Buffer{std::unique_ptr<std::byte[], FreeBuffer>(data), size};
}

std::size_t PageSize() {
  static const std::size_t size = [] {
    const long reported = ::sysconf(_SC_PAGESIZE);
    return reported > 0 ? static_cast<std::size_t>(reported) : std::size_t{4096};
  }();
  return size;
}

}  // namespace vork
