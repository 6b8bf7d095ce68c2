#include "app/screenshot.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "core/file_replace.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(Screenshot, ExpandsChannelsByBitReplication) {
  struct Case {
    std::uint16_t pixel;
    Rgb8 expected;
  } cases[] = {
      {0xFFFF, {255, 255, 255}},
      {0x0000, {0, 0, 0}},
      {0xF800, {255, 0, 0}},
      {0x07E0, {0, 255, 0}},
      {0x001F, {0, 0, 255}},
      {0x8410,
       {0x84, 0x82, 0x84}},  // top bit of each channel: 10000 -> 10000100, 100000 -> 10000010
      {0x0821, {0x08, 0x04, 0x08}},  // lowest bit of each: 00001 -> 00001000, 000001 -> 00000100
  };
  for (const Case& c : cases) {
    Rgb8 got = expand_565(c.pixel);
    EXPECT_EQ(got.r, c.expected.r) << std::hex << c.pixel;
    EXPECT_EQ(got.g, c.expected.g) << std::hex << c.pixel;
    EXPECT_EQ(got.b, c.expected.b) << std::hex << c.pixel;
  }
}

TEST(Screenshot, WritesA240By160RgbPng) {
  TempDir dir;
  std::string path = dir.path() + "/shot.png";
  std::vector<std::uint16_t> frame(240 * 160, 0);
  frame[0] = 0xF800;
  frame[239] = 0x001F;
  frame[159 * 240] = 0x07E0;
  ASSERT_TRUE(write_screenshot(path.c_str(), frame.data()));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, 240u);
  EXPECT_EQ(image.height, 160u);
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  auto at = [&](unsigned x, unsigned y) { return &rgb[(y * 240 + x) * 3]; };
  EXPECT_EQ(at(0, 0)[0], 255);
  EXPECT_EQ(at(239, 0)[2], 255);
  EXPECT_EQ(at(0, 159)[1], 255);
  EXPECT_EQ(at(1, 0)[0], 0);
  EXPECT_FALSE(write_screenshot((dir.path() + "/no/such/folder.png").c_str(), frame.data()));
}

ssize_t disk_full(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}

// A full disk keeps the old picture and leaves no empty or partial file beside it.
TEST(Screenshot, AFullDiskKeepsTheOldFileAndLeavesNoOther) {
  TempDir dir;
  std::string path = dir.write("shot.png", {1, 2, 3});
  std::vector<std::uint16_t> frame(240 * 160, 0x07E0);
  set_file_write_function(disk_full);
  bool written = write_screenshot(path.c_str(), frame.data());
  set_file_write_function(nullptr);
  EXPECT_FALSE(written);
  EXPECT_EQ(std::filesystem::file_size(path), 3u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
