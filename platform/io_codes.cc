#include "platform/io_codes.h"

#include <cerrno>

namespace vork {

EInOutError FailureFromErrno(int error_number, Site site) {
  switch (error_number) {
    case ENOENT:
      return {site, 2, "File not found"};
    case ENOTDIR:
      return {site, 3, "Invalid filename"};
    case EMFILE:
    case ENFILE:
      return {site, 4, "Too many open files"};
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return {site, 5, "File access denied"};
    case ENOSPC:
    case EDQUOT:
      return {site, kIoDiskFull, "Disk full"};
    default:
      return {site, error_number, nullptr};
  }
}

std::string MessageOf(const EInOutError& failure) {
  if (failure.message != nullptr) return failure.message;
  return "I/O error " + std::to_string(failure.code);
}

}  // namespace vork
