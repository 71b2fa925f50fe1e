#include "tests/support/wav.h"

#include <random>

namespace vork::testing {
namespace {

void AppendLE(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

void PutLE32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string MakeWav(int channels, int bits_per_sample, std::uint32_t frames, std::uint32_t seed) {
  const std::uint32_t rate = 22050;
  const std::uint32_t block_align = static_cast<std::uint32_t>(channels * bits_per_sample / 8);
  const std::uint32_t data_size = frames * block_align;
  std::string wav = "RIFF";
  AppendLE(wav, 36 + data_size, 4);
  wav += "WAVEfmt ";
  AppendLE(wav, 16, 4);
  AppendLE(wav, 1, 2);  // PCM
  AppendLE(wav, static_cast<std::uint32_t>(channels), 2);
  AppendLE(wav, rate, 4);
  AppendLE(wav, rate * block_align, 4);
  AppendLE(wav, block_align, 2);
  AppendLE(wav, static_cast<std::uint32_t>(bits_per_sample), 2);
  wav += "data";
  AppendLE(wav, data_size, 4);
  std::mt19937 random(seed);
  for (std::uint32_t i = 0; i < data_size; ++i) wav.push_back(static_cast<char>(random() & 0xFF));
  return wav;
}

}  // namespace vork::testing
