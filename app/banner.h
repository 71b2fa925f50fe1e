#pragma once

namespace vork {

/// Prints the six banner lines that begin every run.
void PrintBanner();

}  // namespace vork
