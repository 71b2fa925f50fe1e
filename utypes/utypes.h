#pragma once
// UTypes: the tool's string utilities.

#include <cstdint>
#include <string>
#include <string_view>

namespace vork::UTypes {

/// Field `field_number` (counted from 1) of `text`, whose fields are
/// separated by `delimiter`. A number below 1 gives the first field, one
/// beyond the last gives the last. A delimiter of several characters is one
/// whole separator; an empty delimiter never occurs, so the whole text is
/// one field. Every byte, 0 included, is an ordinary character.
std::string ExtractField(std::string_view text, std::string_view delimiter,
                         std::int32_t field_number);

}  // namespace vork::UTypes
