#pragma once
// Replacing a file so that a crash, a power loss or a failure leaves either
// the old version or the complete new one, never a mix: the new version is
// written to a temporary file beside the old, made durable, and renamed
// over it.

#include <string>

#include "platform/failure.h"
#include "platform/file.h"

namespace vork {

struct Replacement {
  std::string target;  ///< The file replaced: the path, or the file its links lead to.
  unsigned mode = 0;   ///< Permission bits the new version gets.
  PendingFile temp;    ///< Removed again unless committed.
  FileHandle file;     ///< The temporary file, open for writing.
};

struct BeginSites {
  Site resolve;  ///< Following the links of the path.
  Site check;    ///< Opening an existing target for writing, to see that it may be replaced.
  Site create;   ///< Creating the temporary file.
};

struct CommitSites {
  Site set_mode;
  Site sync;
  Site close;
  Site rename;
  Site sync_directory;
};

/// Starts replacing `path`. A symbolic link stays and the file it leads to
/// is replaced (created, where the link dangles). An existing target that
/// may not be written, or is not a regular file, fails here, untouched. The
/// temporary file is `.<name>.<pid>.tmp` beside the target, created new with
/// mode 0600; a stale one of that name is left alone and another name used.
Replacement BeginReplacement(const std::string& path, const BeginSites& sites);

/// Gives the new version the old one's permission bits (or 0666 less the
/// umask), puts its data on disk, closes it and renames it over the target,
/// then makes the rename durable. A failure before the rename leaves the
/// target as it was and removes the temporary file; a failure after it (of
/// the directory sync) leaves the complete new version in place.
void CommitReplacement(Replacement& replacement, const CommitSites& sites);

}  // namespace vork
