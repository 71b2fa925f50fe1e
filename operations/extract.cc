#include "operations/extract.h"

#include <algorithm>
#include <string>

#include "formats/entry_header.h"
#include "formats/manifest.h"
#include "operations/working_files.h"
#include "platform/buffer.h"
#include "platform/console.h"
#include "platform/file.h"
#include "platform/sites.h"

namespace vork {
namespace {

// The archive read sequentially through the copy buffer. The bytes in
// [begin, end) of the buffer are read but not yet copied.
struct ArchiveStream {
  FileHandle file;
  FileStatus status;          // Taken once, when the run opens the archive.
  std::uint64_t read = 0;     // Bytes read from the file so far.
  Buffer buffer;
  std::size_t begin = 0;
  std::size_t end = 0;
  bool kernel_copy = true;    // Until the kernel says it cannot copy here.

  std::size_t Available() const { return end - begin; }
  const std::byte* Data() const { return buffer.data.get() + begin; }
};

// Moves what is left to the front of the buffer and reads more behind it,
// never past the size the archive had when the run opened it.
void Refill(ArchiveStream& stream, Site read_site) {
  std::byte* base = stream.buffer.data.get();
  const std::size_t kept = stream.Available();
  std::copy(base + stream.begin, base + stream.end, base);
  const std::size_t room = std::min<std::uint64_t>(stream.buffer.size - kept,
                                                   stream.status.size - stream.read);
  const std::size_t got = ReadUpTo(stream.file, base + kept, room, read_site);
  stream.read += got;
  stream.begin = 0;
  stream.end = kept + got;
}

// Copies the next `span` bytes of the archive to `out`. What is already in
// the buffer is written from there; a rest longer than the buffer is copied
// by the kernel.
void CopyEntry(ArchiveStream& stream, std::uint64_t span, const FileHandle& out) {
  while (span > 0) {
    if (stream.Available() == 0 && span > stream.buffer.size && stream.kernel_copy) {
      const auto copied = CopyInKernel(stream.file, out, span, sites::kExtractCopyEntry);
      if (copied) {
        stream.read += *copied;
        if (*copied < span) throw ReadBeyondEndOfFile(sites::kExtractArchiveShrank);
        return;
      }
      stream.kernel_copy = false;
    }
    if (stream.Available() == 0) {
      Refill(stream, sites::kExtractReadEntry);
      // The span was checked against the size, so only a file that shrank
      // since then runs out here.
      if (stream.Available() == 0) throw ReadBeyondEndOfFile(sites::kExtractArchiveShrank);
    }
    const std::size_t chunk = std::min<std::uint64_t>(span, stream.Available());
    WriteAll(out, stream.Data(), chunk, sites::kExtractWriteEntry);
    stream.begin += chunk;
    span -= chunk;
  }
}

}  // namespace

Outcome RunExtract() {
  if (!IsExistingFile(kArchiveName)) {
    WriteConsoleLine("Error...Main.sfx no found.", sites::kExtractMissingArchiveLine);
    return Outcome::kStoppedWithError;
  }
  WriteConsoleLine("Extracting WAV files...", sites::kExtractStartLine);

  ArchiveStream archive;
  archive.file = OpenForReading(kArchiveName, sites::kExtractOpenArchive);
  archive.status = StatusOf(archive.file, sites::kExtractArchiveStatus);
  FileHandle manifest =
      CreateTruncated(kManifestName, archive.status, sites::kExtractCreateManifest);
  archive.buffer = AllocateBuffer(kCopyBufferSize, sites::kExtractCopyBuffer);

  std::uint64_t index = 0;
  std::uint64_t position = 0;
  std::string_view comment = kManifestComment;
  while (position < archive.status.size) {
    if (archive.Available() < kEntryHeaderSize) Refill(archive, sites::kExtractReadHeader);
    const std::uint64_t bytes_left = archive.status.size - position;
    const std::span header(archive.Data(), archive.Available());
    const auto span = CompleteEntrySpan(header, bytes_left);
    if (!span) {
      // Checked before the entry's file exists, so a cut entry leaves none.
      throw ReadBeyondEndOfFile(bytes_left < kEntryHeaderSize ? sites::kExtractShortHeader
                                                              : sites::kExtractEntryPastEnd);
    }

    const std::string name = EntryFileName(index);
    PendingFile pending(name);
    FileHandle entry = CreateTruncated(name, archive.status, sites::kExtractCreateEntry);
    pending.Arm();
    CopyEntry(archive, *span, entry);
    Close(entry, sites::kExtractCloseEntry);
    // Written at once, so that after any later failure the manifest lists
    // every entry file already complete.
    WriteAll(manifest, ManifestLine(name, comment), sites::kExtractWriteManifest);
    pending.Commit();

    position += *span;
    ++index;
    comment = {};
  }

  Close(archive.file, sites::kExtractCloseArchive);
  Close(manifest, sites::kExtractCloseManifest);
  WriteConsoleLine("Total WAV extracted:" + std::to_string(index), sites::kExtractTotalLine);
  return Outcome::kDone;
}

}  // namespace vork
