#pragma once
// A private folder for a test's files, removed with everything in it when the test ends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  // Writes `bytes` to a new file and returns its path.
  std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
  // A file of `size` bytes that occupies no disk space except where `patches` write into it.
  std::string write_sparse(const std::string& name, std::size_t size,
                           const std::vector<std::pair<std::size_t, std::uint32_t>>& words) const;

 private:
  std::string path_;
};
