#pragma once

#include "operations/outcome.h"

namespace vork {

/// Joins the files main.txt lists, in its order, into a new main.sfx in the
/// current directory, which replaces the old one only once it is complete
/// and on disk.
///
/// Stops with its own error line at the first name that is no existing
/// file, or whose size is not its RIFF span. Throws EInOutError,
/// EOutOfMemory or Interrupted. Whenever it stops or throws before the
/// replacement, main.sfx is exactly as it was and no temporary file is left.
Outcome RunBuild();

}  // namespace vork
