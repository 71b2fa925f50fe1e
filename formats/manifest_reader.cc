#include "formats/manifest_reader.h"

#include <algorithm>

#include "utypes/utypes.h"

namespace vork {
namespace {

constexpr char kEndOfManifest = 26;

bool IsBlank(char byte) { return static_cast<unsigned char>(byte) <= 32; }

void Hold(ManifestReader& reader, char byte) {
  if (byte == ';') reader.comment_begun = true;
  if (reader.line.text.size() < kMaxHeldLine) {
    reader.line.text.push_back(byte);
    return;
  }
  reader.cut = true;
  // Past the cut only one thing matters: whether the name goes on.
  if (!reader.comment_begun && !IsBlank(byte)) reader.line.name_runs_past_cut = true;
}

void TakeLine(ManifestReader& reader, ManifestLine& line) {
  line = std::move(reader.line);
  reader.line = ManifestLine{};
  reader.cut = false;
  reader.comment_begun = false;
  reader.in_line = false;
}

}  // namespace

bool NextManifestLine(ManifestReader& reader, std::string_view& input, ManifestLine& line) {
  while (!reader.ended && !input.empty()) {
    const char byte = input.front();
    input.remove_prefix(1);
    if (reader.pending_cr) {
      reader.pending_cr = false;
      if (byte == '\n') {
        reader.after_line_feed = true;
        TakeLine(reader, line);
        return true;
      }
    }
    if (byte == kEndOfManifest && reader.after_line_feed) {
      reader.ended = true;
      break;
    }
    reader.after_line_feed = byte == '\n';
    if (byte == '\n') {
      TakeLine(reader, line);
      return true;
    }
    reader.in_line = true;
    if (byte == '\r') {
      reader.pending_cr = true;
    } else {
      Hold(reader, byte);
    }
  }
  return false;
}

bool LastManifestLine(ManifestReader& reader, ManifestLine& line) {
  reader.pending_cr = false;
  if (!reader.in_line) return false;
  TakeLine(reader, line);
  return true;
}

std::string NameOfLine(const ManifestLine& line) {
  const std::string field = UTypes::ExtractField(line.text, ";", 0);
  const auto first = std::find_if_not(field.begin(), field.end(), IsBlank);
  const auto last = line.name_runs_past_cut
                        ? field.end()
                        : std::find_if_not(field.rbegin(), field.rend(), IsBlank).base();
  return first < last ? std::string(first, last) : std::string();
}

}  // namespace vork
