#pragma once

#include <string_view>

namespace vork {

enum class Operation { kNone, kExtract, kBuild };

/// The operation the first argument asks for: "-x"/"-X" or "-b"/"-B", whole
/// and exact; anything else, and no argument, asks for none.
Operation ChooseOperation(std::string_view first_argument);

}  // namespace vork
