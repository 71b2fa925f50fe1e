#pragma once
// The single mapping from a system error number to the tool's I/O code and
// message.

#include <string>

#include "platform/failure.h"

namespace vork {

/// The failure for a call that failed with `error_number` (errno), detected at
/// `site`. ENOSPC/EDQUOT become "Disk full"; errors without a name of their own
/// keep the system's number, as "I/O error N".
EInOutError FailureFromErrno(int error_number, Site site);

/// The message of an I/O failure as the report prints it.
std::string MessageOf(const EInOutError& failure);

}  // namespace vork
