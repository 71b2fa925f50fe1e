// Fuzzes the streamed manifest reader and name extraction against a plain
// reference that holds the whole file: the lines and names must agree, and
// must not depend on how the bytes are split into pieces.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "formats/manifest_reader.h"
#include "utypes/utypes.h"

namespace {

using vork::ManifestLine;

// The rules, applied to the whole text at once.
std::vector<std::string> ReferenceLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  bool in_line = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char byte = text[i];
    const bool after_line_feed = i == 0 || text[i - 1] == '\n';
    if (byte == 26 && after_line_feed) return lines;
    if (byte == '\n') {
      lines.push_back(line);
      line.clear();
      in_line = false;
      continue;
    }
    in_line = true;
    if (byte == '\r') continue;  // Ends a line only with the LF after it.
    line.push_back(byte);
  }
  if (in_line) lines.push_back(line);
  return lines;
}

std::string ReferenceName(const std::string& line) {
  const std::string field = vork::UTypes::ExtractField(line, ";", 0);
  std::size_t first = 0;
  std::size_t last = field.size();
  while (first < last && static_cast<unsigned char>(field[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(field[last - 1]) <= 32) --last;
  return field.substr(first, last - first);
}

std::vector<ManifestLine> ReadInPieces(std::string_view text, std::size_t piece) {
  vork::ManifestReader reader;
  std::vector<ManifestLine> lines;
  ManifestLine line;
  for (std::size_t at = 0; at < text.size(); at += piece) {
    std::string_view input = text.substr(at, piece);
    while (vork::NextManifestLine(reader, input, line)) lines.push_back(line);
  }
  if (vork::LastManifestLine(reader, line)) lines.push_back(line);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] % 17;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  const auto expected = ReferenceLines(text);
  const auto whole = ReadInPieces(text, text.size() + 1);
  const auto pieces = ReadInPieces(text, piece);
  if (whole.size() != expected.size() || pieces.size() != expected.size()) std::abort();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (whole[i].text != pieces[i].text) std::abort();
    // Lines within the cut are held whole, and name what the reference names.
    if (expected[i].size() <= vork::kMaxHeldLine) {
      if (whole[i].text != expected[i] || whole[i].name_runs_past_cut) std::abort();
      if (vork::NameOfLine(whole[i]) != ReferenceName(expected[i])) std::abort();
    } else if (whole[i].text != expected[i].substr(0, vork::kMaxHeldLine)) {
      std::abort();
    }
  }
  return 0;
}
