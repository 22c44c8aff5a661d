// UpdateSession: row updates on one open database, and the hand-over of
// their pages to durable storage.
//
// Each UpdateRow collects its page changes in a PageEditor; only when the
// whole update succeeded are the pages encoded (RC4 for encoded databases)
// and handed to the sink (encoded as the file keeps its pages), and the page cache refreshed. A
// failed update hands over nothing. The sink decides what is atomic: the journaled file groups
// every page between two commits.
#pragma once

#include <cstdint>
#include <memory>

#include "jet/alloc/page_editor.h"
#include "jet/header.h"
#include "jet/index/index_writer.h"
#include "jet/lval/long_value_writer.h"
#include "jet/page_store.h"
#include "jet/status.h"
#include "jet/text_codec.h"
#include "jet/update/row_updater.h"
#include "jet/update/text_encoder.h"
#include "jet/write/page_sink.h"

namespace jet {

class UpdateSession {
 public:
  // `store` and `sink` must outlive the session; `store` reads the same file
  // the sink writes.
  UpdateSession(PageStore* store, const Header& header, PageSink* sink);

  // Changes row `row` of `table` (see RowUpdater::Update) and hands its pages
  // to the sink. On failure nothing reaches the sink, except when the sink
  // itself fails part way (then the caller must roll back its transaction).
  Status UpdateRow(const TableDef& table, RowId row, const ColumnChanges& changes);

  // Whether the last failure came from the sink (pages partly handed over).
  bool sink_failed() const { return sink_failed_; }

  // Index entries as the pages stand now (for checks and tests).
  Result<std::vector<IndexEntry>> IndexEntries(const IndexDef& index);

 private:
  Status Flush();

  PageStore* store_;
  PageSink* sink_;
  TextDecoder decoder_;
  TextEncoder encoder_;
  PageEditor editor_;
  LongValueWriter long_values_;
  IndexWriter indexes_;
  RowUpdater updater_;
  bool sink_failed_ = false;
};

}  // namespace jet
