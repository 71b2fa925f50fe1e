#pragma once

#include <filesystem>
#include <string>

namespace vork::testing {

/// A fresh directory under the system's temporary folder, removed with all
/// it holds when the test ends. World-writable, so that a run as an
/// unprivileged user may create files in it.
struct TempDir {
  std::filesystem::path path;

  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return path / name; }
};

/// Whole-file helpers for fixtures; they fail the test on any error.
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

/// The names in `dir`, sorted.
std::string ListDir(const std::filesystem::path& dir);

}  // namespace vork::testing
