#pragma once

namespace vork {

/// One whole run: banner, dispatch, the chosen operation, and the failure
/// report if anything fails. Returns the exit status.
int RunTool(int argc, char** argv);

}  // namespace vork
