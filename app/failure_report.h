#pragma once
// The one report every failure of a run ends in.

#include <cstdint>
#include <string>
#include <string_view>

namespace vork {

/// The report exactly as printed: "Exception <class> in module <module> at
/// <site as 8 hex digits>." CR LF, the message with a final "." added when it
/// has none, CR LF; that text cut at 1,024 characters; then one more CR LF.
std::string FormatFailureReport(std::string_view class_name, std::string_view module,
                                std::uint32_t site, std::string_view message);

}  // namespace vork
