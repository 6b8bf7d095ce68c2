// The .sav file: raw save memory sized by type, read at a game's start and written safely at its
// end.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/file_replace.h"
#include "core/save/backup.h"
#include "core/save/save_file.h"
#include "core/state.h"
#include "tests/support/temp_dir.h"

namespace {

struct SaveType {
  const char* name;
  std::uint8_t kind;
  std::uint8_t big;  // sram_64k, flash_128k or eeprom_8k
  std::uint32_t bytes;
  std::uint8_t loaded_kind;  // a 64 KB file reads back as flash, whatever wrote it
};

constexpr SaveType SAVE_TYPES[] = {
    {"sram 32 KB", SAVE_SRAM, 0, 0x8000, SAVE_SRAM},
    {"sram 64 KB", SAVE_SRAM, 1, 0x10000, SAVE_FLASH},
    {"flash 64 KB", SAVE_FLASH, 0, 0x10000, SAVE_FLASH},
    {"flash 128 KB", SAVE_FLASH, 1, 0x20000, SAVE_FLASH},
    {"eeprom 512 bytes", SAVE_EEPROM, 0, 512, SAVE_EEPROM},
    {"eeprom 8 KB", SAVE_EEPROM, 1, 0x2000, SAVE_EEPROM},
};

std::vector<std::uint8_t> file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint8_t pattern(std::size_t i) { return static_cast<std::uint8_t>(i * 31 + 7 + (i >> 8)); }

void set_type(const SaveType& type) {
  machine.backup.save_kind = type.kind;
  machine.backup.sram_64k = type.kind == SAVE_SRAM ? type.big : 0;
  machine.backup.flash_128k = type.kind == SAVE_FLASH ? type.big : 0;
  machine.backup.eeprom_8k = type.kind == SAVE_EEPROM ? type.big : 0;
}

std::uint8_t loaded_big_flag(std::uint8_t kind) {
  if (kind == SAVE_SRAM) return machine.backup.sram_64k;
  if (kind == SAVE_FLASH) return machine.backup.flash_128k;
  return machine.backup.eeprom_8k;
}

// Writes the first `limit` bytes, then reports a full disk.
std::size_t bytes_before_failure;
ssize_t write_then_fill_disk(int fd, const void* bytes, std::size_t count) {
  if (bytes_before_failure == 0) {
    errno = ENOSPC;
    return -1;
  }
  std::size_t now = count < bytes_before_failure ? count : bytes_before_failure;
  ssize_t done = ::write(fd, bytes, now);
  if (done > 0) bytes_before_failure -= static_cast<std::size_t>(done);
  return done;
}

class SaveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clear_machine_state();
    reset_backup_state();
  }
  void TearDown() override { set_file_write_function(nullptr); }

  std::vector<std::string> folder_entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  TempDir dir;
};

TEST_F(SaveFileTest, EveryTypeRoundTripsAtItsSize) {
  for (const SaveType& type : SAVE_TYPES) {
    SCOPED_TRACE(type.name);
    for (std::size_t i = 0; i < SAVE_FILE_MAX; ++i) machine.backup_buffer[i] = pattern(i);
    set_type(type);
    std::string path = dir.file("game.sav");
    ASSERT_EQ(write_save_file(path.c_str()), 1);
    EXPECT_EQ(std::filesystem::file_size(path), type.bytes);

    std::memset(machine.backup_buffer, 0, SAVE_FILE_MAX);
    reset_backup_state();
    ASSERT_EQ(load_save_file(path.c_str()), 1);
    for (std::size_t i = 0; i < type.bytes; ++i)
      ASSERT_EQ(machine.backup_buffer[i], pattern(i)) << i;
    if (type.bytes < SAVE_FILE_MAX) {
      EXPECT_EQ(machine.backup_buffer[type.bytes], 0);  // beyond the file: kept
    }
    EXPECT_EQ(machine.backup.save_kind, type.loaded_kind);
    EXPECT_EQ(save_file_size(), type.bytes);
    EXPECT_EQ(loaded_big_flag(type.loaded_kind), type.bytes == 0x10000 ? 0 : type.big);
  }
}

TEST_F(SaveFileTest, AMissingFileGivesErasedMemoryOfUnknownType) {
  machine.backup.save_kind = SAVE_SRAM;
  machine.backup_buffer[0] = 0x12;
  machine.backup_buffer[SAVE_FILE_MAX - 1] = 0x34;
  errno = 0;
  EXPECT_EQ(load_save_file(dir.file("none.sav").c_str()), 0);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(machine.backup.save_kind, SAVE_UNKNOWN);
  for (std::size_t i = 0; i < SAVE_FILE_MAX; ++i) ASSERT_EQ(machine.backup_buffer[i], 0xFF) << i;
}

TEST_F(SaveFileTest, AFileOver128KbIsReadOnlyTo128Kb) {
  std::vector<std::uint8_t> big(SAVE_FILE_MAX + 0x100);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = pattern(i);
  std::uint8_t* after_buffer = machine.backup_buffer + SAVE_FILE_MAX;
  std::vector<std::uint8_t> after_before(after_buffer, after_buffer + 0x100);
  machine.backup.save_kind = SAVE_EEPROM;
  ASSERT_EQ(load_save_file(dir.write("big.sav", big).c_str()), 1);
  for (std::size_t i = 0; i < SAVE_FILE_MAX; ++i)
    ASSERT_EQ(machine.backup_buffer[i], pattern(i)) << i;
  EXPECT_TRUE(std::equal(after_before.begin(), after_before.end(), after_buffer));
  EXPECT_EQ(machine.backup.save_kind, SAVE_EEPROM);  // no size rule matches: type unchanged
}

TEST_F(SaveFileTest, AnOddSizeLoadsItsBytesAndLeavesTheType) {
  std::memset(machine.backup_buffer, 0xEE, 16);
  ASSERT_EQ(load_save_file(dir.write("odd.sav", {1, 2, 3}).c_str()), 1);
  EXPECT_EQ(machine.backup_buffer[2], 3);
  EXPECT_EQ(machine.backup_buffer[3], 0xEE);
  EXPECT_EQ(machine.backup.save_kind, SAVE_UNKNOWN);
}

TEST_F(SaveFileTest, NothingIsWrittenWhileTheTypeIsUnknown) {
  EXPECT_EQ(write_save_file(dir.file("game.sav").c_str()), 0);
  EXPECT_TRUE(folder_entries().empty());
}

TEST_F(SaveFileTest, AnInterruptedWriteLeavesThePreviousFileIntact) {
  std::vector<std::uint8_t> old(0x8000);
  for (std::size_t i = 0; i < old.size(); ++i) old[i] = pattern(i);
  std::string path = dir.write("game.sav", old);
  machine.backup.save_kind = SAVE_SRAM;
  std::memset(machine.backup_buffer, 0xAB, 0x8000);
  bytes_before_failure = 0x1000;
  set_file_write_function(write_then_fill_disk);
  errno = 0;
  EXPECT_EQ(write_save_file(path.c_str()), 0);
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(file_bytes(path), old);
  EXPECT_EQ(folder_entries(), std::vector<std::string>{"game.sav"});  // no half-written leftover
}

TEST_F(SaveFileTest, AWriteIntoAMissingFolderFailsAndCreatesNothing) {
  machine.backup.save_kind = SAVE_SRAM;
  EXPECT_EQ(write_save_file(dir.file("gone/game.sav").c_str()), 0);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_TRUE(folder_entries().empty());
}

TEST_F(SaveFileTest, ASmallerSaveReplacesALargerFileWhole) {
  std::string path = dir.write("game.sav", std::vector<std::uint8_t>(0x10000, 0x11));
  machine.backup.save_kind = SAVE_EEPROM;
  std::memset(machine.backup_buffer, 0x22, 512);
  ASSERT_EQ(write_save_file(path.c_str()), 1);
  EXPECT_EQ(file_bytes(path), std::vector<std::uint8_t>(512, 0x22));
  EXPECT_EQ(folder_entries(), std::vector<std::string>{"game.sav"});
}

TEST_F(SaveFileTest, TheReplacementKeepsTheOldFilesPermissions) {
  std::string path = dir.write("game.sav", {0});
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  machine.backup.save_kind = SAVE_SRAM;
  ASSERT_EQ(write_save_file(path.c_str()), 1);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(SaveFileTest, ErasedMemoryIsAllOnesOfUnknownType) {
  machine.backup.save_kind = SAVE_FLASH;
  erase_backup_memory();
  EXPECT_EQ(machine.backup.save_kind, SAVE_UNKNOWN);
  EXPECT_EQ(machine.backup_buffer[0x1FFFF], 0xFF);
}

// A short run must write back the save it read: the game start's reset keeps the file's type and
// size until the game's own accesses show another.
TEST_F(SaveFileTest, TheTypeReadFromAFileOutlastsTheGameStartReset) {
  for (const SaveType& type : SAVE_TYPES) {
    SCOPED_TRACE(type.name);
    std::string path = dir.write("game.sav", std::vector<std::uint8_t>(type.bytes, 0x5A));
    ASSERT_EQ(load_save_file(path.c_str()), 1);
    reset_backup_state();
    EXPECT_EQ(machine.backup.save_kind, type.loaded_kind);
    EXPECT_EQ(save_file_size(), type.bytes);
  }
  erase_backup_memory();  // no file: the reset forgets the type again
  reset_backup_state();
  EXPECT_EQ(machine.backup.save_kind, SAVE_UNKNOWN);
}

// A flash type taken only from the file's size gives way to SRAM when the game stores a plain
// byte before any flash command; a game that unlocked the flash keeps it.
TEST_F(SaveFileTest, APlainStoreTurnsAFlashSizedFileIntoSram) {
  std::string path = dir.write("game.sav", std::vector<std::uint8_t>(0x10000, 0x5A));
  ASSERT_EQ(load_save_file(path.c_str()), 1);
  reset_backup_state();
  backup_write8(0x1234, 0x77);
  EXPECT_EQ(machine.backup.save_kind, SAVE_SRAM);
  EXPECT_EQ(backup_read8(0x1234), 0x77u);

  reset_backup_state();
  backup_write8(0x5555, 0xAA);  // the unlock sequence: the game's flash is real
  backup_write8(0x2AAA, 0x55);
  backup_write8(0x5555, 0xF0);
  backup_write8(0x2345, 0x11);  // a plain store to real flash changes nothing
  EXPECT_EQ(machine.backup.save_kind, SAVE_FLASH);
  EXPECT_EQ(backup_read8(0x2345), 0x5Au);
}

// Each kill during a write leaves a temporary behind; the next complete write removes those of
// the same target whose writer is gone, and no other file.
TEST_F(SaveFileTest, AWriteRemovesTheTemporariesOfKilledWriters) {
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  int child_status = 0;
  waitpid(gone, &child_status, 0);
  std::vector<std::uint8_t> partial(100, 1);
  std::string dead = "game.sav.tmp-" + std::to_string(gone);
  std::string alive = "game.sav.tmp-" + std::to_string(getppid());  // a writer still running
  for (const std::string& name : {dead, alive, std::string("other.sav.tmp-") + std::to_string(gone),
                                  std::string("game.sav.tmp-x1")}) {
    dir.write(name, partial);
  }
  machine.backup.save_kind = SAVE_SRAM;
  ASSERT_EQ(write_save_file(dir.file("game.sav").c_str()), 1);
  auto names = folder_entries();
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected = {alive, "game.sav", "game.sav.tmp-x1",
                                       "other.sav.tmp-" + std::to_string(gone)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

// A write that never completes (killed again, say) still removes them as it starts, so kills in
// a row leave one temporary, not one each.
TEST_F(SaveFileTest, AWriteThatDoesNotCompleteRemovesThemAsItStarts) {
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  int child_status = 0;
  waitpid(gone, &child_status, 0);
  dir.write("game.sav.tmp-" + std::to_string(gone), std::vector<std::uint8_t>(100, 1));
  PendingFile pending;
  ASSERT_EQ(begin_replacing(dir.file("game.sav").c_str(), pending), 1);
  EXPECT_EQ(folder_entries(), std::vector<std::string>{"game.sav.tmp-" + std::to_string(getpid())});
  abandon_pending(pending);
  EXPECT_TRUE(folder_entries().empty());
}

}  // namespace
