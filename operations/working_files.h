#pragma once
// What both operations work with: the two files of fixed name in the
// current directory, and the size of the one copy buffer.

#include <cstddef>
#include <string>

namespace vork {

inline const std::string kArchiveName = "main.sfx";
inline const std::string kManifestName = "main.txt";

/// Large enough that a small entry or file costs no read of its own, small
/// enough that memory stays flat.
inline constexpr std::size_t kCopyBufferSize = std::size_t{1} << 20;

}  // namespace vork
