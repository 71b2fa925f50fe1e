// Fuzzes ExtractField against fields split the plain way. Input: one byte
// for the field number (signed), one for the delimiter's length, the
// delimiter, then the text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "utypes/utypes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::int32_t field_number = static_cast<std::int8_t>(data[0]);
  const std::size_t delimiter_size = std::min<std::size_t>(data[1] % 5, size - 2);
  const std::string_view delimiter(reinterpret_cast<const char*>(data) + 2, delimiter_size);
  const std::string_view text(reinterpret_cast<const char*>(data) + 2 + delimiter_size,
                              size - 2 - delimiter_size);

  std::vector<std::string_view> fields;
  if (delimiter.empty()) {
    fields.push_back(text);
  } else {
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(delimiter, start)) != std::string_view::npos;) {
      fields.push_back(text.substr(start, found - start));
      start = found + delimiter.size();
    }
    fields.push_back(text.substr(start));
  }
  const auto count = static_cast<std::int32_t>(fields.size());
  const std::int32_t chosen = field_number < 1 ? 1 : (field_number > count ? count : field_number);

  if (vork::UTypes::ExtractField(text, delimiter, field_number) != fields[chosen - 1]) std::abort();
  return 0;
}
