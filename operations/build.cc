#include "operations/build.h"

#include <algorithm>
#include <string>

#include "formats/entry_header.h"
#include "formats/manifest_reader.h"
#include "operations/working_files.h"
#include "platform/buffer.h"
#include "platform/console.h"
#include "platform/file.h"
#include "platform/replace_file.h"
#include "platform/sites.h"

namespace vork {
namespace {

constexpr std::size_t kManifestBufferSize = 64 << 10;

// main.txt as it streams in through its own small buffer.
struct ManifestStream {
  FileHandle file;
  Buffer buffer;
  std::string_view unread;
  ManifestReader reader;
  bool at_end = false;
};

bool ReadNextLine(ManifestStream& manifest, ManifestLine& line) {
  for (;;) {
    if (NextManifestLine(manifest.reader, manifest.unread, line)) return true;
    if (manifest.reader.ended) return false;
    if (manifest.at_end) return LastManifestLine(manifest.reader, line);
    auto* data = manifest.buffer.data.get();
    const std::size_t got =
        ReadUpTo(manifest.file, data, manifest.buffer.size, sites::kBuildReadManifest);
    manifest.unread = std::string_view(reinterpret_cast<const char*>(data), got);
    manifest.at_end = got < manifest.buffer.size;  // ReadUpTo stops short only at the end.
  }
}

enum class Appended { kWhole, kSizeMismatch };

// How file data moves into the archive.
struct CopyPath {
  Buffer buffer;
  bool kernel_copy = true;  // Until the kernel says it cannot copy here.
};

// Appends the `size` bytes of the file `name` to `out`, unless its size is
// not its RIFF span: such a file would shift every later entry's boundary.
// The first block goes through the buffer, where the header is checked; a
// long rest is copied by the kernel.
Appended AppendFile(const std::string& name, std::uint64_t size, CopyPath& path,
                    const FileHandle& out) {
  FileHandle in = OpenForReading(name, sites::kBuildOpenInput);
  if (size > 0 && size < kEntryHeaderSize) return Appended::kSizeMismatch;
  std::uint64_t left = size;
  while (left > 0) {
    if (left < size && left > path.buffer.size && path.kernel_copy) {
      const auto copied = CopyInKernel(in, out, left, sites::kBuildCopyInput);
      if (copied) {
        if (*copied < left) throw ReadBeyondEndOfFile(sites::kBuildInputShrank);
        break;
      }
      path.kernel_copy = false;
    }
    const std::size_t want = std::min<std::uint64_t>(left, path.buffer.size);
    std::byte* data = path.buffer.data.get();
    const std::size_t got = ReadUpTo(in, data, want, sites::kBuildReadInput);
    if (got < want) throw ReadBeyondEndOfFile(sites::kBuildInputShrank);
    if (left == size && CompleteEntrySpan(std::span(data, got), size) != size) {
      return Appended::kSizeMismatch;
    }
    WriteAll(out, data, got, sites::kBuildWriteArchive);
    left -= got;
  }
  Close(in, sites::kBuildCloseInput);
  return Appended::kWhole;
}

void StopAt(const char* error_line, const std::string& name, Site site) {
  SoundAlert();
  WriteConsoleLine(error_line + name, site);
}

}  // namespace

Outcome RunBuild() {
  if (!IsExistingFile(kManifestName)) {
    WriteConsoleLine("Error...Main.txt no found.", sites::kBuildMissingManifestLine);
    return Outcome::kStoppedWithError;
  }
  WriteConsoleLine("Building MAIN.SFX...", sites::kBuildStartLine);

  ManifestStream manifest;
  manifest.file = OpenForReading(kManifestName, sites::kBuildOpenManifest);
  Replacement archive = BeginReplacement(
      kArchiveName, {sites::kBuildFollowArchiveLinks, sites::kBuildCheckArchive,
                     sites::kBuildCreateTemporary});
  CopyPath copy{AllocateBuffer(kCopyBufferSize, sites::kBuildCopyBuffer)};
  manifest.buffer = AllocateBuffer(kManifestBufferSize, sites::kBuildManifestBuffer);

  std::uint64_t count = 0;
  ManifestLine line;
  while (ReadNextLine(manifest, line)) {
    const std::string name = NameOfLine(line);
    if (name.empty()) continue;
    const auto size = line.name_runs_past_cut ? std::nullopt : RegularFileSize(name);
    if (!size) {
      StopAt("Error...file not exist:", name, sites::kBuildMissingFileLine);
      return Outcome::kStoppedWithError;
    }
    if (AppendFile(name, *size, copy, archive.file) == Appended::kSizeMismatch) {
      StopAt("Error...WAV size mismatch:", name, sites::kBuildSizeMismatchLine);
      return Outcome::kStoppedWithError;
    }
    ++count;
  }

  Close(manifest.file, sites::kBuildCloseManifest);
  CommitReplacement(archive, {sites::kBuildSetArchiveMode, sites::kBuildSyncArchive,
                              sites::kBuildCloseArchive, sites::kBuildRenameArchive,
                              sites::kBuildSyncDirectory});
  WriteConsoleLine("Total WAVs added:" + std::to_string(count), sites::kBuildTotalLine);
  return Outcome::kDone;
}

}  // namespace vork
