#include "data/ado_query.h"

#include "data/db_error.h"

namespace data {

TADOQuery::TADOQuery(std::string name) : TDataSet(std::move(name)) {
  sql_.OnChange = [this] { QueryChanged(); };
}

TADOQuery::~TADOQuery() {
  Close();
  SetConnection(nullptr);
}

void TADOQuery::SetConnection(TADOConnection* connection) {
  if (connection == connection_) return;
  Close();
  if (connection_) connection_->UnregisterDataSet(this);
  connection_ = connection;
  if (connection_) connection_->RegisterDataSet(this);
}

void TADOQuery::QueryChanged() {
  Close();
  parameters_.clear();
  const std::string text = sql_.Text();
  command_text_ = param_check_ ? ScanParameters(text, &parameters_) : text;
}

const std::vector<provider::ColumnInfo>& TADOQuery::Columns() const {
  static const std::vector<provider::ColumnInfo> kNone;
  return recordset_ ? recordset_->columns() : kNone;
}

void TADOQuery::CheckWritable() const {
  const std::string refusal = recordset_ ? recordset_->WriteRefusal() : std::string();
  if (refusal.empty()) return;
  const int32_t code = provider::ProviderError::kGenericCode;
  throw EOleException(CleanProviderDescription(refusal, code), code);
}

bool TADOQuery::IsSequenced() const {
  return recordset_ && recordset_->Supports(provider::adApproxPosition) &&
         cursor_location_ == clUseClient && !Filtered();
}

void TADOQuery::ConnectionStateChanged() { DataEvent(TDataEvent::ConnectionChanged, 0); }

std::vector<provider::ColumnInfo> TADOQuery::InternalOpen() {
  if (!connection_) Error("Missing Connection or ConnectionString");
  if (!connection_->Connected()) connection_->SetConnected(true);
  auto recordset = std::make_unique<provider::Recordset>();
  try {
    recordset->Open(command_text_, connection_->ConnectionObject(), cursor_type_, lock_type_,
                    cache_size_, max_records_);
  } catch (const provider::ProviderError& e) {
    throw EOleException(CleanProviderDescription(e.what(), e.code()), e.code());
  }
  recordset_ = std::move(recordset);
  return recordset_->columns();
}

void TADOQuery::InternalClose() { recordset_.reset(); }

int64_t TADOQuery::InternalRecordCount() const {
  return recordset_ ? recordset_->RecordCount() : 0;
}

std::vector<provider::Variant> TADOQuery::InternalFetch(int64_t position) {
  try {
    recordset_->SetAbsolutePosition(position + 1);
    return recordset_->GetRow();
  } catch (const provider::ProviderError& e) {
    throw EOleException(CleanProviderDescription(e.what(), e.code()), e.code());
  }
}

void TADOQuery::InternalPost(int64_t position, const provider::RowChanges& changes) {
  try {
    recordset_->SetAbsolutePosition(position + 1);
    for (const auto& [column, value] : changes) recordset_->SetValue(column, value);
    recordset_->Update();
  } catch (const provider::ProviderError& e) {
    recordset_->CancelUpdate();
    throw EOleException(CleanProviderDescription(e.what(), e.code()), e.code());
  }
}

int64_t TADOQuery::InternalInsert(const provider::RowChanges& values) {
  try {
    recordset_->AddNew();
    for (const auto& [column, value] : values) recordset_->SetValue(column, value);
    recordset_->Update();
    return recordset_->position();
  } catch (const provider::ProviderError& e) {
    recordset_->CancelUpdate();
    throw EOleException(CleanProviderDescription(e.what(), e.code()), e.code());
  }
}

void TADOQuery::InternalDelete(int64_t position) {
  try {
    recordset_->SetAbsolutePosition(position + 1);
    recordset_->Delete();
  } catch (const provider::ProviderError& e) {
    throw EOleException(CleanProviderDescription(e.what(), e.code()), e.code());
  }
}

bool TADOQuery::InternalCanModify() const {
  return recordset_ && lock_type_ != ltReadOnly && recordset_->updatable();
}

std::string ScanParameters(const std::string& text, std::vector<std::string>* names) {
  auto is_quote = [](char c) { return c == '\'' || c == '"' || c == '`'; };
  auto is_delimiter = [](char c) {
    return c == ' ' || c == ',' || c == ';' || c == ')' || c == '\r' || c == '\n';
  };
  // A literal ends only at the quote that opened it: a double quote or a
  // backquote inside a single-quoted search text is text, and so is any
  // colon after it (a doubled quote closes and reopens, which is the same).
  std::string out;
  out.reserve(text.size());
  char quote = 0;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
      out += c;
      ++i;
      continue;
    }
    if (c == ':' && i + 1 < text.size() && text[i + 1] == ':') {
      out += ':';  // "::" stands for one colon
      i += 2;
      continue;
    }
    if (c == ':') {
      // A parameter: its name runs to a delimiter outside quotes; a name
      // that starts with a quote is written without its quotes.
      size_t j = i + 1;
      char name_quote = 0;
      while (j < text.size() && (name_quote != 0 || !is_delimiter(text[j]))) {
        if (name_quote == 0 && is_quote(text[j])) {
          name_quote = text[j];
        } else if (text[j] == name_quote) {
          name_quote = 0;
        }
        ++j;
      }
      std::string name = text.substr(i + 1, j - i - 1);
      if (name.size() >= 2 && is_quote(name.front()) && name.back() == name.front()) {
        name = name.substr(1, name.size() - 2);
      }
      if (names) names->push_back(name);
      out += '?';
      i = j;
      continue;
    }
    if (is_quote(c)) quote = c;
    out += c;
    ++i;
  }
  return out;
}

}  // namespace data
