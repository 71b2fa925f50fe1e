#include "tests/support/temp_dir.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <stdlib.h>
#include <sys/stat.h>

namespace vork::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vork-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path = pattern;
  chmod(path.c_str(), 0777);
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Restore write permission that a test may have taken away.
  std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path, ignored);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::string ListDir(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::ostringstream joined;
  for (const auto& name : names) joined << name << ' ';
  std::string text = joined.str();
  if (!text.empty()) text.pop_back();
  return text;
}

}  // namespace vork::testing
