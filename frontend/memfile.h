#pragma once
// A paged in-memory file: pages of one power-of-two size (64 KB by default, at least
// 32 bytes) are allocated one at a time as writes grow the file. The page table has 1024 entries
// of which 1023 may be used, so the file holds at most 1023 pages.

#include "frontend/filebase.h"

class CMemFile : public CFileBase {
 public:
  static constexpr int MAX_PAGES = 1024;
  static constexpr fsize_t DEFAULT_PAGE_SIZE = 65536;

  CMemFile();
  explicit CMemFile(fsize_t page_size);
  ~CMemFile() override;

  fsize_t GetOffset() override;
  fsize_t GetSize() override;
  fsize_t Read(void* buffer, fsize_t n) override;
  fsize_t Write(const void* buffer, fsize_t n) override;
  int SetSize(fsize_t n) override;  // allocates the pages it needs; new bytes are zero
  int Seek(fsize_t offset) override;
  int AddBlock(fsize_t n) override;
  fsize_t GetMaxSize() override;

  // Sets the page size of an empty file: a power of two from 32 up, or the two error messages
  // and 0.
  int SetPageSize(fsize_t page_size);
  // Reads a whole disk file ("Open file %s error!" and 0 when it cannot be opened).
  int LoadFile(const char* name);
  // Frees every page and the table; the file is empty afterwards.
  void Destroy();

  int GetPages() const { return pages; }
  fsize_t GetPageSize() const { return page_size; }

 private:
  int AddPage();  // one more page at the end of the table

  fsize_t size = 0;
  int pages = 0;
  fsize_t offset = 0;
  int max_pages = MAX_PAGES;
  char** base = nullptr;
  fsize_t page_size = DEFAULT_PAGE_SIZE;
  fsize_t page_mask = DEFAULT_PAGE_SIZE - 1;
  int page_shift = 16;
};
