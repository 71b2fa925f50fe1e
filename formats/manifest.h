#pragma once
// The manifest main.txt: one line per entry file, "name;comment" and CR LF.

#include <cstdint>
#include <string>
#include <string_view>

namespace vork {

/// The comment extraction puts on the manifest's first line, and only there.
inline constexpr std::string_view kManifestComment =
    "This is a comment, write any info you need after the \";\"";

/// "SFX_" + the index, zero-padded to four digits (longer ones whole) + ".wav".
std::string EntryFileName(std::uint64_t index);

/// One manifest line as extraction writes it: name, ";", comment, CR LF.
std::string ManifestLine(std::string_view file_name, std::string_view comment);

}  // namespace vork
