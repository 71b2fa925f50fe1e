#include "app/run.h"

#include <new>
#include <string>
#include <string_view>

#include "app/banner.h"
#include "app/dispatch.h"
#include "app/failure_report.h"
#include "operations/build.h"
#include "operations/extract.h"
#include "platform/console.h"
#include "platform/io_codes.h"
#include "platform/process.h"
#include "platform/sites.h"

namespace vork {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

int ExitStatusOf(Outcome outcome) {
  return outcome == Outcome::kDone ? kExitSuccess : kExitFailure;
}

int RunOperation(Operation operation) {
  switch (operation) {
    case Operation::kExtract:
      return ExitStatusOf(RunExtract());
    case Operation::kBuild:
      return ExitStatusOf(RunBuild());
    case Operation::kNone:
      break;
  }
  return kExitSuccess;
}

// Writes the report a line at a time, like every other console line.
void PrintFailureReport(std::string_view class_name, std::string_view argv0, Site site,
                        std::string_view message) {
  const std::string report =
      FormatFailureReport(class_name, ProgramFileName(argv0), site.code, message);
  std::string_view rest = report;
  while (!rest.empty()) {
    const auto line_end = rest.find("\r\n");
    const std::size_t length = line_end == std::string_view::npos ? rest.size() : line_end + 2;
    WriteConsoleQuietly(rest.substr(0, length));
    rest.remove_prefix(length);
  }
}

}  // namespace

int RunTool(int argc, char** argv) {
  InstallSignalHandlers();
  const std::string_view argv0 = argc > 0 ? argv[0] : "";
  const std::string_view first_argument = argc > 1 ? argv[1] : "";
  int status = kExitFailure;
  try {
    PrintBanner();
    status = RunOperation(ChooseOperation(first_argument));
  } catch (const EInOutError& failure) {
    PrintFailureReport("EInOutError", argv0, failure.site, MessageOf(failure));
  } catch (const EOutOfMemory& failure) {
    PrintFailureReport("EOutOfMemory", argv0, failure.site, "Out of memory");
  } catch (const std::bad_alloc&) {
    PrintFailureReport("EOutOfMemory", argv0, sites::kAnyAllocation, "Out of memory");
  } catch (const Interrupted&) {
    // Unwinding has removed the partial output; the signal ends the process.
  }
  return FinishProcess(status);
}

}  // namespace vork
