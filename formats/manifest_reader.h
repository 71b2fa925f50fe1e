#pragma once
// Reads the manifest main.txt line by line as it streams in, holding at
// most kMaxHeldLine bytes of any line, so that memory stays flat whatever
// the length of a line.
//
// Lines end at LF, optionally preceded by CR; a CR not followed by LF is
// dropped. The last line counts without a line end. Byte 26 ends the
// manifest when it is the first byte of the file or the byte right after a
// LF. Every other byte, 0 included, belongs to the line.

#include <cstddef>
#include <string>
#include <string_view>

namespace vork {

/// More than any file name the system accepts, so that cutting a line
/// here never changes which file it names.
inline constexpr std::size_t kMaxHeldLine = 65536;

struct ManifestLine {
  std::string text;  ///< The line, or its first kMaxHeldLine bytes.
  /// The line was cut before its first ";", and the name went on past the
  /// cut with a byte above 32: the name is longer than `text` shows.
  bool name_runs_past_cut = false;
};

struct ManifestReader {
  ManifestLine line;
  bool cut = false;          // The current line is longer than what is held.
  bool comment_begun = false; // A ";" was seen in the current line.
  bool pending_cr = false;   // The last byte was a CR, dropped unless LF follows.
  bool after_line_feed = true;  // The file's start counts as after a LF.
  bool in_line = false;      // Some byte of the current line was read.
  bool ended = false;        // Byte 26 ended the manifest.
};

/// Consumes bytes from the front of `input` until a line is complete, then
/// moves it to `line` and returns true. Returns false when `input` ran out
/// first (feed more) or the manifest has ended.
bool NextManifestLine(ManifestReader& reader, std::string_view& input, ManifestLine& line);

/// At the end of the file: moves the last line, which had no line end, to
/// `line` and returns true; false when there is none.
bool LastManifestLine(ManifestReader& reader, ManifestLine& line);

/// The file name a line names: the text before its first ";", with bytes 0
/// to 32 trimmed from both ends. Empty means the line names no file. For a
/// name that runs past the cut, the held part with only its front trimmed.
std::string NameOfLine(const ManifestLine& line);

}  // namespace vork
