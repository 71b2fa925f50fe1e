#pragma once

#include <cstdint>
#include <string>

namespace vork::testing {

/// A complete PCM WAV file of random samples: RIFF header, "fmt " chunk and
/// "data" chunk, exactly ChunkSize + 8 bytes long (no pad byte, even for an
/// odd data length). Deterministic for a given seed.
std::string MakeWav(int channels, int bits_per_sample, std::uint32_t frames, std::uint32_t seed);

/// Little-endian 32-bit field at `offset` of `bytes`.
void PutLE32(std::string& bytes, std::size_t offset, std::uint32_t value);

}  // namespace vork::testing
