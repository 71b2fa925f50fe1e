#pragma once

namespace vork {

/// How an operation ended without a failure report.
enum class Outcome {
  kDone,            ///< It did its work and printed its total.
  kStoppedWithError ///< It printed one of its own error lines instead.
};

}  // namespace vork
