#include "tests/support/temp_dir.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  std::string full = file(name);
  std::FILE* out = std::fopen(full.c_str(), "wb");
  if (out == nullptr) throw std::runtime_error("cannot create " + full);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  return full;
}

std::string TempDir::write_sparse(
    const std::string& name, std::size_t size,
    const std::vector<std::pair<std::size_t, std::uint32_t>>& words) const {
  std::string full = file(name);
  std::FILE* out = std::fopen(full.c_str(), "wb");
  if (out == nullptr) throw std::runtime_error("cannot create " + full);
  for (const auto& [offset, value] : words) {
    std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    fseeko(out, static_cast<off_t>(offset), SEEK_SET);
    std::fwrite(bytes, 1, 4, out);
  }
  std::fclose(out);
  if (truncate(full.c_str(), static_cast<off_t>(size)) != 0) throw std::runtime_error("truncate");
  return full;
}
