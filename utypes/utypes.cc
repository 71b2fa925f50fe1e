#include "utypes/utypes.h"

namespace vork::UTypes {

std::string ExtractField(std::string_view text, std::string_view delimiter,
                         std::int32_t field_number) {
  if (delimiter.empty()) return std::string(text);
  std::string_view rest = text;
  for (std::int32_t field = 1; field < field_number; ++field) {
    const auto found = rest.find(delimiter);
    if (found == std::string_view::npos) break;  // Already in the last field.
    rest.remove_prefix(found + delimiter.size());
  }
  return std::string(rest.substr(0, rest.find(delimiter)));
}

}  // namespace vork::UTypes
