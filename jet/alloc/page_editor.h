// PageEditor: the pending page changes of one write, on top of a PageStore.
//
// Every writer (row placement, long values, index entries, usage maps) reads
// and changes decoded pages through one editor. Nothing reaches the file until
// the owner hands changes() to its commit step, so a write that fails half way
// is dropped by Clear() and leaves the file and the store untouched.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "jet/bytes_view.h"
#include "jet/page_store.h"
#include "jet/status.h"

namespace jet {

class PageEditor {
 public:
  // `store` must outlive the editor; its pages are read, never changed here.
  explicit PageEditor(PageStore* store) : store_(store), page_count_(store->page_count()) {}

  PageStore& store() { return *store_; }
  const Format& format() const { return store_->format(); }
  uint32_t page_size() const { return store_->page_size(); }

  // The current bytes of `page`: the pending copy when there is one. The view
  // stays valid until the next Edit() or Append() of the same page or Clear().
  Result<ByteView> Read(uint32_t page);

  // A writable copy of `page`, pending until the owner commits. Corruption
  // beyond the end of the file.
  Result<uint8_t*> Edit(uint32_t page);

  // Makes `bytes` (a whole page) the pending contents of `page`, as Edit()
  // and a copy would, but by swapping buffers: `bytes` gets an unspecified
  // buffer back, for reuse. Corruption beyond the end of the file or for a
  // buffer that is not one page.
  Status Put(uint32_t page, std::vector<uint8_t>* bytes);

  // Lets go of `page` as read: a view of it from Read() may dangle after
  // this. A search that reads many pages and keeps none of them calls it
  // for each page it passes over, so that they need not all stay in memory
  // until the write ends. A pending copy of the page is kept.
  void Release(uint32_t page) { held_.erase(page); }

  // Appends a zero-filled page at the end of the file and returns its number.
  uint32_t Append();

  // Pages in the file, counting appended ones.
  uint32_t page_count() const { return page_count_; }
  // True when `page` was appended by this editor and not yet committed.
  bool appended(uint32_t page) const { return page >= store_->page_count(); }

  // Pending pages by number, with their full decoded contents.
  const std::map<uint32_t, std::vector<uint8_t>>& changes() const { return changes_; }
  bool empty() const { return changes_.empty(); }

  // Drops every pending change (after a failure, or after the owner committed).
  void Clear();
  // Hands over the pending pages, sparing a copy of each when the owner
  // keeps them after committing; the editor is left as Clear() leaves it,
  // except that page_count() still counts the appended pages.
  std::map<uint32_t, std::vector<uint8_t>> TakeChanges();

 private:
  PageStore* store_;
  uint32_t page_count_;
  std::map<uint32_t, std::vector<uint8_t>> changes_;
  std::map<uint32_t, PageRef> held_;  // pages read, kept alive for the views handed out
};

}  // namespace jet
