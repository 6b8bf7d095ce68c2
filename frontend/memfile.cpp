#include "frontend/memfile.h"

#include <cstring>
#include <new>

#include "frontend/assertion.h"
#include "frontend/file.h"

CMemFile::CMemFile() = default;

CMemFile::CMemFile(fsize_t size_of_page) { SetPageSize(size_of_page); }

CMemFile::~CMemFile() { Destroy(); }

void CMemFile::Destroy() {
  if (base != nullptr) {
    for (int i = 0; i < pages; i++) {
      ORVANE_TRACE_FREE(base[i]);
      delete[] base[i];
    }
    ORVANE_TRACE_FREE(base);
    delete[] base;
  }
  base = nullptr;
  pages = 0;
  size = offset = 0;
}

int CMemFile::SetPageSize(fsize_t new_page_size) {
  int shift = 0;
  while (shift < 62 && (fsize_t{1} << shift) < new_page_size) shift++;
  if (new_page_size < 32 || (fsize_t{1} << shift) != new_page_size) {
    debug_output("error pagesize, this value must can be gotten by 1<<n\n");
    debug_output("and must greater than 32\n");
    return 0;
  }
  ORVANE_CHECK(this->pages == 0, 0);
  page_size = new_page_size;
  page_mask = new_page_size - 1;
  page_shift = shift;
  return 1;
}

int CMemFile::AddPage() {
  if (base == nullptr) {
    base = new (std::nothrow) char*[static_cast<std::size_t>(max_pages)]();
    ORVANE_CHECK(this->base, 0);
    ORVANE_TRACE_ALLOC(base, "char*[]");
  }
  if (pages >= max_pages - 1) {
    debug_output("Too many pages!\r\n");
    return 0;
  }
  base[pages] = new (std::nothrow) char[static_cast<std::size_t>(page_size)]();
  ORVANE_CHECK(this->base[this->pages], 0);
  ORVANE_TRACE_ALLOC(base[pages], "char[]");
  pages++;
  return 1;
}

fsize_t CMemFile::GetOffset() { return offset; }
fsize_t CMemFile::GetSize() { return size; }
fsize_t CMemFile::GetMaxSize() { return (max_pages - 1) * page_size; }

fsize_t CMemFile::Read(void* buffer, fsize_t n) {
  if (buffer == nullptr || n <= 0 || offset >= size) return 0;
  if (n > size - offset) n = size - offset;
  auto* to = static_cast<char*>(buffer);
  fsize_t done = 0;
  while (done < n) {
    fsize_t in_page = offset & page_mask;
    fsize_t chunk = page_size - in_page < n - done ? page_size - in_page : n - done;
    std::memcpy(to + done, base[offset >> page_shift] + in_page, static_cast<std::size_t>(chunk));
    done += chunk;
    offset += chunk;
  }
  return done;
}

fsize_t CMemFile::Write(const void* buffer, fsize_t n) {
  if (buffer == nullptr || n <= 0) return 0;
  const auto* from = static_cast<const char*>(buffer);
  fsize_t done = 0;
  while (done < n) {
    fsize_t page = offset >> page_shift;
    while (page >= pages)
      if (!AddPage()) return done;
    fsize_t in_page = offset & page_mask;
    fsize_t chunk = page_size - in_page < n - done ? page_size - in_page : n - done;
    std::memcpy(base[page] + in_page, from + done, static_cast<std::size_t>(chunk));
    done += chunk;
    offset += chunk;
    if (offset > size) size = offset;
  }
  return done;
}

int CMemFile::SetSize(fsize_t n) {
  if (n < 0 || n > GetMaxSize()) return 0;
  fsize_t needed = (n + page_mask) >> page_shift;
  while (pages < needed)
    if (!AddPage()) return 0;
  // Bytes between the old and the new end read as zero.
  for (fsize_t at = size; at < n;) {
    fsize_t in_page = at & page_mask;
    fsize_t chunk = page_size - in_page < n - at ? page_size - in_page : n - at;
    std::memset(base[at >> page_shift] + in_page, 0, static_cast<std::size_t>(chunk));
    at += chunk;
  }
  size = n;
  if (offset > size) offset = size;
  return 1;
}

int CMemFile::Seek(fsize_t to) {
  offset = to < 0 ? 0 : to > size ? size : to;
  return 1;
}

int CMemFile::AddBlock(fsize_t n) {
  if (n < 0) return 0;
  return SetSize(size + n);
}

int CMemFile::LoadFile(const char* name) {
  ORVANE_CHECK(name, 0);
  CFile file;
  if (!file.OpenFile(name, "rb")) {
    debug_output("Open file %s error!\r\n", name);
    return 0;
  }
  Seek(0);
  if (!SetSize(file.GetSize())) return 0;
  char chunk[4096];
  fsize_t at = 0;
  while (at < size) {
    fsize_t got = file.Read(chunk, sizeof chunk);
    if (got <= 0) break;
    Write(chunk, got);
    at += got;
  }
  Seek(0);
  file.CloseFile();
  return at == size ? 1 : 0;
}
