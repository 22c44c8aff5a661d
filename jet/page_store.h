// PageStore: fixed-size pages of one file, decoded once and kept in a small
// least-recently-used cache, so a scan reads each page once and memory grows
// with the pages in use rather than with the file.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "jet/bytes_view.h"
#include "jet/format.h"
#include "jet/io/byte_source.h"
#include "jet/status.h"

namespace jet {

using PageRef = std::shared_ptr<const std::vector<uint8_t>>;
class PageCipher;

class PageStore {
 public:
  // `source` must outlive the store. A non-zero `database_key` means every page
  // but page 0 is RC4-encoded with a key derived from it and the page number.
  PageStore(const ByteSource* source, const Format& format, uint32_t database_key,
            size_t capacity = 512);

  const Format& format() const { return format_; }
  uint32_t page_size() const { return format_.page_size; }
  // Whole pages in the file; a trailing partial page is not counted.
  uint32_t page_count() const { return page_count_; }
  const std::string& file() const { return *file_; }

  // The decoded page `page`; Corruption when it lies outside the file.
  Result<PageRef> Get(uint32_t page);

  // The key pages are RC4-encoded with (0: not encoded).
  uint32_t database_key() const { return database_key_; }

  // Files under Office encryption: every page but page 0 is decrypted with
  // `cipher` as it is read. Set before the first read.
  void SetCipher(std::shared_ptr<const PageCipher> cipher) { cipher_ = std::move(cipher); }
  const PageCipher* cipher() const { return cipher_.get(); }

  // Reads up to `count` pages from `first` on with one read of the source
  // and caches them, stopping before a page already cached, past the end of
  // the file, or at a quarter of the cache. For scans that walk consecutive
  // pages; a failure is left for Get to report, page by page.
  void ReadAhead(uint32_t first, uint32_t count);

  // Turns the decoded contents of `page` (`page_size()` bytes at `data`)
  // into its bytes on disk, in place: the inverse of what reading does.
  // Fails only when the cryptography library does.
  [[nodiscard]] Status Encode(uint32_t page, uint8_t* data) const;
  // Whether Encode changes anything: pages of a plain file are stored as read.
  bool encodes() const { return database_key_ != 0 || cipher_ != nullptr; }

  // After the write side stored `page`: caches its decoded contents, so later
  // reads see them, and grows page_count() when the page was appended.
  void Replace(uint32_t page, std::vector<uint8_t> decoded);

  // A buffer of page_size() bytes (contents unspecified) for a page about to
  // be rewritten, taken from pages the cache dropped when there is one.
  std::vector<uint8_t> TakePageBuffer();

  // After the write side rolled changes back: forgets every cached page and
  // takes the page count from the source again.
  void Reset();

  // How many pages were read from the source (tests check a scan reads each once).
  uint64_t reads() const { return reads_; }

  // "<file>: page <n>: <what>", for Corruption messages.
  Status Corrupt(uint32_t page, const std::string& what) const;

 private:
  const ByteSource* source_;
  const std::string* file_;
  const Format& format_;
  uint32_t database_key_;
  std::shared_ptr<const PageCipher> cipher_;
  size_t capacity_;
  uint32_t page_count_;
  uint64_t reads_ = 0;
  uint32_t last_read_ = 0;  // the last page read from the source
  // Decodes `buffer`, page `page` as read from the source, counts the read
  // and caches it.
  PageRef Insert(uint32_t page, std::shared_ptr<std::vector<uint8_t>> buffer);
  // A page buffer: a spare one when there is one.
  std::shared_ptr<std::vector<uint8_t>> TakeBuffer();
  // Keeps the buffer of a page the cache no longer holds for a later read,
  // when nobody else holds it, so that scans and rewrites neither allocate
  // nor clear pages.
  void Recycle(PageRef page);

  // Drops the least recently used page.
  void Evict();

  std::list<std::pair<uint32_t, PageRef>> lru_;  // most recent first
  std::unordered_map<uint32_t, std::list<std::pair<uint32_t, PageRef>>::iterator> index_;
  std::vector<std::shared_ptr<std::vector<uint8_t>>> spares_;
  std::vector<uint8_t> ahead_;  // ReadAhead's buffer
};

inline ByteView View(const PageRef& page) { return ByteView{page->data(), page->size()}; }

}  // namespace jet
