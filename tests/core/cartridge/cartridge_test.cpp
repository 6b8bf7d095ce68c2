#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "core/cartridge/cartridge.h"
#include "core/memory/memory.h"
#include "core/save/gpio.h"
#include "core/state.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::size_t MB = 1 << 20;
constexpr std::uint32_t PAGE = 0x8000;

std::vector<std::uint8_t> image_with_header(std::size_t size) {
  std::vector<std::uint8_t> image(size, 0xEE);
  std::memcpy(&image[0xA0], "HELLO WORLD!", 12);
  std::memcpy(&image[0xAC], "ABCD", 4);
  std::memcpy(&image[0xB0], "01", 2);
  return image;
}

// Every page of a sparse cartridge names itself, at its start and its end, so a read proves
// which page a slot holds.
std::uint32_t page_marker(std::uint32_t page) { return 0x100 + page; }

std::string write_marked_cartridge(const TempDir& dir, std::size_t size) {
  std::vector<std::pair<std::size_t, std::uint32_t>> words;
  for (std::uint32_t page = 0; page < size / PAGE; ++page) {
    words.emplace_back(std::size_t{page} * PAGE, page_marker(page));
    words.emplace_back(std::size_t{page} * PAGE + PAGE - 4, ~page_marker(page));
  }
  return dir.write_sparse("big.gba", size, words);
}

class CartridgeTest : public ::testing::Test {
 protected:
  void SetUp() override { clear_machine_state(); }
  void TearDown() override {
    rom_mapping_enabled = true;
    release_rom_buffer();
    if (rom_file != nullptr) std::fclose(rom_file);
    rom_file = nullptr;
  }

  void load(const std::string& path) {
    CartridgeError error{};
    ASSERT_EQ(load_cartridge(path.c_str(), &error), 1) << cartridge_error_text(error);
    reset_memory_map();
  }

  static bool page_is_mapped(std::uint32_t page) {
    bool first = machine.read_map[(0x08000000 >> 15) + page] != nullptr;
    EXPECT_EQ(first, machine.read_map[(0x0A000000 >> 15) + page] != nullptr);
    EXPECT_EQ(first, machine.read_map[(0x0C000000 >> 15) + page] != nullptr);
    return first;
  }

  TempDir dir;
};

TEST_F(CartridgeTest, HeaderNamesTheGame) {
  ASSERT_TRUE(alloc_rom_buffer_of_size(MB));
  load(dir.write("game.gba", image_with_header(0x9000)));
  EXPECT_STREQ(machine.rom_title, "HELLO WORLD!");
  EXPECT_STREQ(machine.rom_game_code, "ABCD");
  EXPECT_STREQ(machine.rom_maker_code, "01");
  EXPECT_EQ(machine.rom_size, 0x10000u);  // rounded up to whole pages
  EXPECT_EQ(mem_read8(0x08008FFF), 0xEEu);
  EXPECT_EQ(mem_read8(0x08009000), 0u);  // the rounding is zero-filled, not left over
}

struct RefusalCase {
  const char* name;
  CartridgeError error;
};

class RefusedCartridgeTest : public CartridgeTest,
                             public ::testing::WithParamInterface<RefusalCase> {
 protected:
  std::string make_file(CartridgeError kind) {
    switch (kind) {
      case CartridgeError::CANNOT_OPEN: return dir.file("missing.gba");
      case CartridgeError::NOT_A_FILE: return dir.path();
      case CartridgeError::EMPTY: return dir.write("empty.gba", {});
      case CartridgeError::TOO_SMALL: return dir.write("short.gba", image_with_header(0xC0 - 1));
      case CartridgeError::TOO_LARGE: return dir.write_sparse("huge.gba", 32 * MB + 1, {});
      default: return {};
    }
  }
};

TEST_P(RefusedCartridgeTest, ChangesNothingAndSaysWhy) {
  ASSERT_TRUE(alloc_rom_buffer_of_size(MB));
  load(dir.write("game.gba", image_with_header(0x8000)));
  std::vector<std::uint8_t> buffer_before(rom_buffer, rom_buffer + PAGE);

  CartridgeError error{};
  EXPECT_EQ(load_cartridge(make_file(GetParam().error).c_str(), &error), 0);
  EXPECT_EQ(error, GetParam().error) << cartridge_error_text(error);
  EXPECT_STREQ(machine.rom_title, "HELLO WORLD!");
  EXPECT_EQ(machine.rom_size, 0x8000u);
  EXPECT_EQ(rom_file, nullptr);
  EXPECT_EQ(std::memcmp(buffer_before.data(), rom_buffer, PAGE), 0);
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, RefusedCartridgeTest,
    ::testing::Values(RefusalCase{"Missing", CartridgeError::CANNOT_OPEN},
                      RefusalCase{"Directory", CartridgeError::NOT_A_FILE},
                      RefusalCase{"Empty", CartridgeError::EMPTY},
                      RefusalCase{"ShorterThanHeader", CartridgeError::TOO_SMALL},
                      RefusalCase{"LargerThan32Mb", CartridgeError::TOO_LARGE}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(CartridgeTest, WithoutABufferNothingLoads) {
  CartridgeError error{};
  EXPECT_EQ(load_cartridge(dir.write("game.gba", image_with_header(0x8000)).c_str(), &error), 0);
  EXPECT_EQ(error, CartridgeError::NO_BUFFER);
}

TEST_F(CartridgeTest, AFullSizeCartridgeFitsTheLargestBuffer) {
  ASSERT_TRUE(alloc_rom_buffer());
  ASSERT_EQ(rom_buffer_size, 32 * MB);
  load(write_marked_cartridge(dir, 32 * MB));
  EXPECT_FALSE(rom_is_paged());
  EXPECT_EQ(mem_read32(0x09FF8000), page_marker(1023));
  EXPECT_EQ(mem_read32(0x0DFF8000), page_marker(1023));
}

TEST_F(CartridgeTest, ACartridgeThatFitsIsNeverPagedFromItsFile) {
  ASSERT_TRUE(alloc_rom_buffer());
  load(write_marked_cartridge(dir, 4 * MB));
  EXPECT_EQ(rom_file, nullptr);
  std::uint32_t stamp = machine.rom_stamp;
  for (std::uint32_t page = 0; page < 4 * MB / PAGE; ++page) {
    ASSERT_EQ(mem_read32(0x08000000 + page * PAGE), page_marker(page));
    ASSERT_EQ(mem_read32(0x0A000000 + page * PAGE + PAGE - 4), ~page_marker(page));
  }
  EXPECT_EQ(machine.rom_stamp, stamp);
}

TEST_F(CartridgeTest, PagedWindowEvictsThePageLoadedFirst) {
  ASSERT_TRUE(alloc_rom_buffer_of_size(16 * MB));
  load(write_marked_cartridge(dir, 32 * MB));
  ASSERT_TRUE(rom_is_paged());
  ASSERT_EQ(rom_slot_count, 512u);

  for (std::uint32_t page = 0; page < 512; ++page) {
    ASSERT_EQ(mem_read32(0x08000000 + page * PAGE), page_marker(page)) << page;
  }
  for (std::uint32_t page = 0; page < 512; ++page) ASSERT_TRUE(page_is_mapped(page)) << page;

  // The 513th distinct page takes the slot of the first, and only that one.
  EXPECT_EQ(mem_read32(0x0C000000 + 600 * PAGE + PAGE - 4), ~page_marker(600));
  EXPECT_FALSE(page_is_mapped(0));
  EXPECT_TRUE(page_is_mapped(1));
  EXPECT_TRUE(page_is_mapped(600));

  // Reading a page again does not renew it: eviction follows load order, not use.
  EXPECT_EQ(mem_read32(0x08000000 + 1 * PAGE), page_marker(1));
  EXPECT_EQ(mem_read32(0x08000000 + 0 * PAGE), page_marker(0));
  EXPECT_FALSE(page_is_mapped(1));
  EXPECT_TRUE(page_is_mapped(0));
}

TEST_F(CartridgeTest, PagedModeReadsTheHeaderOnly) {
  ASSERT_TRUE(alloc_rom_buffer_of_size(MB));
  std::vector<std::uint8_t> image = image_with_header(2 * MB);
  load(dir.write("big.gba", image));
  EXPECT_TRUE(rom_is_paged());
  EXPECT_NE(rom_file, nullptr);
  EXPECT_STREQ(machine.rom_title, "HELLO WORLD!");
  for (std::uint32_t page = 0; page < 64; ++page) EXPECT_FALSE(page_is_mapped(page));
  EXPECT_EQ(mem_read8(0x081FFFFF), 0xEEu);
  EXPECT_EQ(mem_read8(0x08200000), 0u);  // past the end: no page is loaded for it
}

TEST_F(CartridgeTest, APageBeyondTheCartridgeChangesNothing) {
  ASSERT_TRUE(alloc_rom_buffer_of_size(MB));
  load(write_marked_cartridge(dir, 2 * MB));
  std::uint32_t stamp = machine.rom_stamp;
  EXPECT_EQ(load_rom_page(64), rom_buffer);
  EXPECT_EQ(load_rom_page(1023), rom_buffer);
  EXPECT_EQ(machine.rom_stamp, stamp);
  for (std::uint32_t page = 0; page < 1024; ++page) ASSERT_FALSE(page_is_mapped(page));
}

TEST_F(CartridgeTest, AShrunkenFileReadsAsZerosWhereItsDataIsGone) {
  std::string path = write_marked_cartridge(dir, 2 * MB);
  ASSERT_TRUE(alloc_rom_buffer_of_size(MB));
  load(path);
  ASSERT_EQ(truncate(path.c_str(), 3 * PAGE / 2), 0);
  EXPECT_EQ(mem_read32(0x08000000), page_marker(0));
  EXPECT_EQ(mem_read32(0x08000000 + PAGE), page_marker(1));
  EXPECT_EQ(mem_read32(0x08000000 + PAGE + PAGE - 4), 0u);
  EXPECT_EQ(mem_read32(0x08000000 + 40 * PAGE), 0u);
}

// A whole image is mapped from its file where it can be and read into the buffer where it cannot;
// the game sees the same bytes, the same zero padding and its own clock-port writes either way,
// and the file never sees those writes.
TEST_F(CartridgeTest, AMappedImageAndAReadOneLookTheSame) {
  ASSERT_TRUE(alloc_rom_buffer());
  constexpr std::uint32_t SIZE = 3 * PAGE / 2 + 5;
  std::vector<std::uint8_t> image = image_with_header(SIZE);
  for (std::size_t i = 0x100; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
  std::string path = dir.write("odd.gba", image);
  for (bool mapping : {true, false}) {
    SCOPED_TRACE(mapping ? "mapped" : "read");
    clear_machine_state();
    rom_mapping_enabled = mapping;
    load(path);
    EXPECT_EQ(rom_mapped_image != nullptr, mapping);
    EXPECT_FALSE(rom_is_paged());
    EXPECT_EQ(rom_file, nullptr);
    EXPECT_EQ(machine.rom_size, 2 * PAGE);
    EXPECT_STREQ(machine.rom_title, "HELLO WORLD!");
    for (std::uint32_t i = 0x100; i < SIZE; i += 97) {
      ASSERT_EQ(mem_read8(0x08000000 + i), image[i]) << i;
    }
    EXPECT_EQ(mem_read8(0x0A000000 + SIZE - 1), image.back());
    for (std::uint32_t i = SIZE; i < 2 * PAGE; i += 509) ASSERT_EQ(mem_read8(0x08000000 + i), 0u);
    EXPECT_EQ(mem_read32(0x08000000 + 2 * PAGE - 4), 0u);

    machine.backup.clock_state = CLOCK_IDLE;
    gpio_write16(GPIO_DIRECTION, 0x0007);
    EXPECT_EQ(mem_read16(0x08000000 + GPIO_DIRECTION), 0x0007u);
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::vector<std::uint8_t> on_disk(image.size());
  EXPECT_EQ(std::fread(on_disk.data(), 1, on_disk.size(), file), on_disk.size());
  std::fclose(file);
  EXPECT_EQ(on_disk, image);
}

// Without a guard, reading a mapped page past the new end of the file is a bus error.
TEST_F(CartridgeTest, AShrunkenMappedFileReadsAsZerosWhereItsDataIsGone) {
  std::string path = write_marked_cartridge(dir, 2 * MB);
  ASSERT_TRUE(alloc_rom_buffer());
  load(path);
  ASSERT_NE(rom_mapped_image, nullptr);
  ASSERT_EQ(truncate(path.c_str(), 3 * PAGE / 2), 0);
  EXPECT_EQ(mem_read32(0x08000000), page_marker(0));
  EXPECT_EQ(mem_read32(0x08000000 + PAGE), page_marker(1));
  EXPECT_EQ(mem_read32(0x08000000 + PAGE + PAGE - 4), 0u);
  EXPECT_EQ(mem_read32(0x08000000 + 40 * PAGE), 0u);
  EXPECT_EQ(mem_read32(0x08000000 + 2 * MB - 4), 0u);
}

TEST_F(CartridgeTest, ReloadingPageZeroRestoresTheClockPort) {
  ASSERT_TRUE(alloc_rom_buffer_of_size(MB));
  load(write_marked_cartridge(dir, 2 * MB));
  machine.backup.clock_state = 1;
  machine.gpio_shadow[0] = 0x05;
  machine.gpio_shadow[1] = 0x07;
  machine.gpio_shadow[2] = 0x01;
  EXPECT_EQ(mem_read8(0x080000C4), 0x05u);
  EXPECT_EQ(mem_read8(0x080000C6), 0x07u);
  EXPECT_EQ(mem_read8(0x080000C8), 0x01u);
  EXPECT_EQ(mem_read8(0x080080C4), 0u);  // other pages are left as the file has them
}

TEST_F(CartridgeTest, LoadingAWholeImageClosesThePagedFile) {
  ASSERT_TRUE(alloc_rom_buffer_of_size(MB));
  load(write_marked_cartridge(dir, 2 * MB));
  ASSERT_NE(rom_file, nullptr);
  load(dir.write("small.gba", image_with_header(0x8000)));
  EXPECT_EQ(rom_file, nullptr);
  EXPECT_TRUE(page_is_mapped(0));
}

std::vector<std::size_t> asked;
std::size_t largest_granted;

void* limited_allocate(std::size_t size) {
  if (size >= 32 * 1024) asked.push_back(size);  // the slot tables are small; record buffers
  return size <= largest_granted ? std::malloc(size) : nullptr;
}

TEST_F(CartridgeTest, BufferAllocationStepsDownFrom32MbIn2MbSteps) {
  asked.clear();
  largest_granted = 10 * MB;
  ASSERT_TRUE(alloc_rom_buffer(limited_allocate));
  EXPECT_EQ(asked, (std::vector<std::size_t>{32 * MB, 16 * MB, 14 * MB, 12 * MB, 10 * MB}));
  EXPECT_EQ(rom_buffer_size, 10 * MB);
  EXPECT_EQ(rom_slot_count, 320u);

  largest_granted = 1 * MB;
  EXPECT_FALSE(alloc_rom_buffer(limited_allocate));
  EXPECT_EQ(rom_buffer_size, 10 * MB);  // a failed attempt keeps the buffer there was
}

}  // namespace
