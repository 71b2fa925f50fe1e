// Fails every system call vork makes, one at a time, with each of several
// errors, and checks after every run that the failure was reported and the
// user's files are exactly as promised. Runs the plain build with the
// inject library preloaded; prints what it saw and exits 1 on any violation.
//
//   fault_driver <inject library>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fixtures.h"
#include "tests/support/run_vork.h"
#include "tests/support/temp_dir.h"

namespace vork::testing {
namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;  // name -> content

struct Outcome {
  RunResult run;
  Files files;
  std::map<std::string, long> calls;
  std::string faulted;  // The file the failed call concerned.
};

struct Operation {
  std::string name;
  std::string switch_text;
  std::function<void(const fs::path&)> prepare;
  // Checks a faulted run against the run without a fault; returns the
  // violations, empty when all is as promised.
  std::function<std::vector<std::string>(const Outcome&, const Outcome&, int, const std::string&)>
      check;
};

std::string g_library;

Files Snapshot(const fs::path& dir) {
  Files files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name == "fault.report") continue;
    files[name] = fs::is_regular_file(entry.path()) ? ReadFile(entry.path()) : "<not a file>";
  }
  return files;
}

Outcome Run(const Operation& operation, const std::string& family, long call, int error_number) {
  TempDir dir;
  operation.prepare(dir.path);
  RunOptions options;
  options.environment = {"LD_PRELOAD=" + g_library,
                         "VORK_FAULT_REPORT=" + (dir / "fault.report").string()};
  if (!family.empty()) {
    options.environment.push_back("VORK_FAULT_FUNCTION=" + family);
    options.environment.push_back("VORK_FAULT_CALL=" + std::to_string(call));
    options.environment.push_back("VORK_FAULT_ERRNO=" + std::to_string(error_number));
  }
  Outcome outcome;
  outcome.run = RunVork(dir.path, {operation.switch_text}, options);
  std::ifstream report(dir / "fault.report");
  std::string word, value;
  while (report >> word >> value) {
    if (word == "faulted") outcome.faulted = value;
    else outcome.calls[word] = std::stol(value);
  }
  outcome.files = Snapshot(dir.path);
  return outcome;
}

std::string MessageFor(int error_number) {
  switch (error_number) {
    case EIO: return "I/O error 5";
    case ENOSPC: return "Disk full";
    case EACCES: return "File access denied";
    case EMFILE: return "Too many open files";
  }
  return "?";
}

const std::regex kReportAtEnd(
    "Exception EInOutError in module vork at [0-9A-F]{8}\\.\r\n([^\r\n]*)\\.\r\n\r\n$");

// What every faulted run must show on the console: the result of the run
// without a fault (for EINTR, which is retried, or a fault the tool may
// ignore), or the output so far followed by the report the errno calls for,
// or for a failed existence check one of the tool's own error lines.
std::vector<std::string> CheckConsole(const Outcome& clean, const Outcome& faulted, int error_number,
                                      const std::string& family,
                                      const std::vector<std::string>& missing_lines) {
  std::vector<std::string> problems;
  const RunResult& run = faulted.run;
  if (!run.err.empty()) problems.push_back("wrote to standard error: " + run.err);
  const bool same = run.out == clean.run.out && run.exit_code == clean.run.exit_code &&
                    faulted.files == clean.files;
  if (error_number == EINTR) {
    if (!same) problems.push_back("EINTR changed the result");
    return problems;
  }
  if (same) {
    // Only the bell may fail unnoticed.
    if (faulted.faulted != "/dev/tty") problems.push_back("fault went unreported");
    return problems;
  }
  if (run.exit_code != 1) problems.push_back("exit status " + std::to_string(run.exit_code));
  std::smatch match;
  if (std::regex_search(run.out, match, kReportAtEnd)) {
    if (match[1] != MessageFor(error_number)) problems.push_back("message " + match[1].str());
    const std::string before = run.out.substr(0, static_cast<std::size_t>(match.position(0)));
    if (clean.run.out.compare(0, before.size(), before) != 0) {
      problems.push_back("output before the report is not what a clean run prints");
    }
    return problems;
  }
  const bool existence_check = family == "stat" || family == "fstatat";
  for (const auto& line : missing_lines) {
    if (existence_check && run.out == kBanner + line) return problems;
  }
  problems.push_back("no failure report at the end: [" + run.out.substr(kBanner.size()) + "]");
  return problems;
}

// An entry file left by an earlier run, which extraction overwrites.
const std::string kEarlierEntryName = "SFX_0001.wav";
const std::string kEarlierEntry(5000, 'o');

// Extraction: every file main.txt lists is complete; nothing else was made.
std::vector<std::string> CheckExtraction(const Outcome& clean, const Outcome& faulted, int error_number,
                                         const std::string& family) {
  auto problems = CheckConsole(clean, faulted, error_number, family,
                               {"Error...Main.sfx no found.\r\n"});
  const Files& files = faulted.files;
  if (files.at("main.sfx") != clean.files.at("main.sfx")) problems.push_back("main.sfx changed");
  std::size_t listed = 0;
  if (files.count("main.txt")) {
    const std::string& manifest = files.at("main.txt");
    const std::string& full = clean.files.at("main.txt");
    if (full.compare(0, manifest.size(), manifest) != 0 ||
        (!manifest.empty() && !manifest.ends_with("\r\n"))) {
      problems.push_back("main.txt is not whole lines of the full manifest");
    }
    for (std::size_t at = 0; (at = manifest.find("\r\n", at)) != std::string::npos; at += 2) ++listed;
  }
  std::size_t entry_files = 0;
  for (const auto& [name, content] : files) {
    if (name == "main.sfx" || name == "main.txt") continue;
    // The user's earlier file, which the run did not get to.
    if (name == kEarlierEntryName && content == kEarlierEntry) continue;
    ++entry_files;
    if (!clean.files.count(name) || content != clean.files.at(name)) {
      problems.push_back(name + " is partial or not an entry");
    }
  }
  if (entry_files != listed) {
    problems.push_back(std::to_string(entry_files) + " entry files, " + std::to_string(listed) +
                       " listed");
  }
  return problems;
}

const std::string kOldArchive = "the old archive, which must survive";

// Building: the old archive or the complete new one, no temporary file,
// inputs untouched.
std::vector<std::string> CheckBuilding(const Outcome& clean, const Outcome& faulted, int error_number,
                                       const std::string& family) {
  auto problems = CheckConsole(clean, faulted, error_number, family,
                               {"Error...Main.txt no found.\r\n",
                                "Building MAIN.SFX...\r\nError...file not exist:SFX_0000.wav\r\n",
                                "Building MAIN.SFX...\r\nError...file not exist:SFX_0001.wav\r\n",
                                "Building MAIN.SFX...\r\nError...file not exist:empty.wav\r\n",
                                "Building MAIN.SFX...\r\nError...file not exist:SFX_0002.wav\r\n"});
  for (const auto& [name, content] : faulted.files) {
    if (name == "main.sfx") {
      const bool old = content == kOldArchive;
      const bool complete = content == clean.files.at("main.sfx");
      if (!old && !complete) problems.push_back("main.sfx is neither the old nor the new archive");
      const bool total = faulted.run.out.find("Total WAVs added:") != std::string::npos;
      if (total && !complete) problems.push_back("total printed but the archive is not the new one");
    } else if (!clean.files.count(name)) {
      problems.push_back("stray file " + name);
    } else if (content != clean.files.at(name)) {
      problems.push_back(name + " changed");
    }
  }
  if (!faulted.files.count("main.sfx")) problems.push_back("main.sfx is gone");
  return problems;
}

std::vector<std::string> SampleWavs() {
  // One larger than the copy buffer, so that the kernel copy runs too.
  return {MakeWav(2, 16, 700000, 1), MakeWav(1, 8, 1001, 2), MakeWav(1, 24, 333, 3)};
}

int Main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fault_driver <inject library>\n");
    return 2;
  }
  g_library = fs::absolute(argv[1]).string();
  const auto wavs = SampleWavs();
  const std::vector<Operation> operations = {
      {"extract", "-x",
       [&](const fs::path& dir) {
         WriteFile(dir / "main.sfx", Concatenate(wavs));
         WriteFile(dir / kEarlierEntryName, kEarlierEntry);
       },
       CheckExtraction},
      {"build", "-b",
       [&](const fs::path& dir) {
         for (std::size_t i = 0; i < wavs.size(); ++i) {
           WriteFile(dir / ("SFX_000" + std::to_string(i) + ".wav"), wavs[i]);
         }
         WriteFile(dir / "empty.wav", "");
         WriteFile(dir / "main.txt",
                   "SFX_0000.wav;comment\r\nSFX_0001.wav\r\nempty.wav\r\nSFX_0002.wav\r\n");
         WriteFile(dir / "main.sfx", kOldArchive);
       },
       CheckBuilding},
  };
  const int errors[] = {EIO, ENOSPC, EACCES, EMFILE, EINTR};
  std::size_t total_violations = 0;
  for (const auto& operation : operations) {
    const Outcome clean = Run(operation, "", 0, 0);
    if (clean.run.exit_code != 0 || clean.calls.empty()) {
      std::printf("%s: the run without a fault failed (exit %d)\n", operation.name.c_str(),
                  clean.run.exit_code);
      return 1;
    }
    std::printf("%s: calls seen:", operation.name.c_str());
    for (const auto& [family, count] : clean.calls) {
      if (count > 0) std::printf(" %s %ld", family.c_str(), count);
    }
    std::printf("\n");
    std::size_t points = 0;
    std::size_t violations = 0;
    for (const auto& [family, count] : clean.calls) {
      for (long call = 1; call <= count; ++call) {
        for (const int error_number : errors) {
          ++points;
          const Outcome faulted = Run(operation, family, call, error_number);
          for (const auto& problem : operation.check(clean, faulted, error_number, family)) {
            ++violations;
            std::printf("  VIOLATION %s: %s call %ld (%s) errno %d: %s\n", operation.name.c_str(),
                        family.c_str(), call, faulted.faulted.c_str(), error_number,
                        problem.c_str());
          }
        }
      }
    }
    std::printf("%s: %zu fault points run, %zu violations\n", operation.name.c_str(), points,
                violations);
    total_violations += violations;
  }
  std::printf("%zu violations in all\n", total_violations);
  return total_violations == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vork::testing

int main(int argc, char** argv) { return vork::testing::Main(argc, argv); }
