#pragma once
// A fresh folder per test, removed with everything in it afterwards, and
// whole-file reads and writes.
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorbel::test {

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::path(::testing::TempDir()) / "zorbel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    // A test may have left the folder read-only; it still has to go.
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder itself, or `name` inside it.
  std::string path(const std::string& name = {}) const {
    return name.empty() ? path_.string() : path_.string() + "/" + name;
  }
  // `name` inside the folder; file("") is the folder with a trailing slash.
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // Writes `bytes` to `name` inside the folder and returns its path.
  std::string file(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::string p = path(name);
    writeBytes(p, bytes);
    return p;
  }
  std::string write(const std::string& name, const std::string& bytes) const {
    const std::string p = path(name);
    writeFile(p, bytes);
    return p;
  }
  std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    return write(name, std::string(bytes.begin(), bytes.end()));
  }
  std::string read(const std::string& name) const { return readFile(path(name)); }
  // Every entry of the folder, sorted, for "nothing else was left behind".
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace zorbel::test
