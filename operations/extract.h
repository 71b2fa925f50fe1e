#pragma once

#include "operations/outcome.h"

namespace vork {

/// Splits main.sfx in the current directory into SFX_nnnn.wav files, one per
/// entry, and writes main.txt listing them in archive order.
///
/// Throws EInOutError, EOutOfMemory or Interrupted. After any of them, every
/// entry file listed in main.txt is complete, and the entry file being
/// written when it happened has been removed again.
Outcome RunExtract();

}  // namespace vork
