#include "jet/update/update_session.h"

namespace jet {

UpdateSession::UpdateSession(PageStore* store, const Header& header, PageSink* sink)
    : store_(store),
      sink_(sink),
      decoder_(header.format->text_utf16, header.code_page),
      encoder_(header.format->text_utf16, header.code_page),
      editor_(store),
      long_values_(&editor_),
      indexes_(&editor_, header.code_page),
      updater_(&editor_, &encoder_, &decoder_, &long_values_, &indexes_) {}

Status UpdateSession::UpdateRow(const TableDef& table, RowId row, const ColumnChanges& changes) {
  sink_failed_ = false;
  editor_.Clear();
  if (table.system) {
    return Status::NotSupported(store_->file() + ": table '" + table.name +
                                "' is a system table and is not changed");
  }
  Status s = updater_.Update(table, row, changes);
  if (!s.ok()) {
    editor_.Clear();
    long_values_.Reset();
    return s;
  }
  return Flush();
}

Status UpdateSession::Flush() {
  std::vector<uint8_t> raw;
  // Ascending page order: appended pages extend the file without holes.
  for (const auto& [page, decoded] : editor_.changes()) {
    const uint8_t* bytes = decoded.data();
    Status s = Status::Ok();
    if (store_->encodes()) {
      raw = decoded;
      s = store_->Encode(page, raw.data());
      bytes = raw.data();
    }
    if (s.ok()) {
      s = sink_->WritePage(page, bytes);
      sink_failed_ = !s.ok();
    }
    if (!s.ok()) {
      editor_.Clear();
      long_values_.Reset();
      return s;
    }
  }
  for (auto& [page, decoded] : editor_.TakeChanges()) store_->Replace(page, std::move(decoded));
  return Status::Ok();
}

Result<std::vector<IndexEntry>> UpdateSession::IndexEntries(const IndexDef& index) {
  editor_.Clear();
  return indexes_.Entries(index);
}

}  // namespace jet
