#include "formats/manifest.h"

namespace vork {

std::string EntryFileName(std::uint64_t index) {
  std::string digits = std::to_string(index);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return "SFX_" + digits + ".wav";
}

std::string ManifestLine(std::string_view file_name, std::string_view comment) {
  std::string line;
  line.reserve(file_name.size() + comment.size() + 3);
  line.append(file_name).append(";").append(comment).append("\r\n");
  return line;
}

}  // namespace vork
