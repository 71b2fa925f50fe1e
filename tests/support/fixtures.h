#pragma once
// Small archives of real WAV files, and what extraction makes of them.

#include <string>
#include <vector>

#include "tests/support/wav.h"

namespace vork::testing {

/// WAVs of different kinds: 8-bit mono with an odd data length, 16-bit
/// stereo, 24-bit mono, and a bare header with ChunkSize 0.
inline std::vector<std::string> SampleEntries() {
  return {MakeWav(1, 8, 1001, 1), MakeWav(2, 16, 700, 2), MakeWav(1, 24, 333, 3),
          std::string("RIFF\0\0\0\0", 8)};
}

inline std::string Concatenate(const std::vector<std::string>& parts) {
  std::string all;
  for (const auto& part : parts) all += part;
  return all;
}

/// The manifest extraction writes for `count` entries.
inline std::string ExtractedManifest(std::size_t count) {
  std::string manifest;
  for (std::size_t i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "SFX_%04zu.wav;", i);
    manifest += name;
    if (i == 0) manifest += "This is a comment, write any info you need after the \";\"";
    manifest += "\r\n";
  }
  return manifest;
}

inline const std::string kExtracting = "Extracting WAV files...\r\n";

}  // namespace vork::testing
