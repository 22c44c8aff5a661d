// Complex columns (attachments, multi-value fields, version history) keep
// their items as rows of a hidden "flat" table; the column itself holds only
// the key those rows share. Readers show a summary instead of the key: the
// file names of attachments, the values of a multi-value field, joined by
// "; ". These columns are never written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/catalog.h"
#include "jet/database.h"
#include "jet/page_store.h"
#include "jet/text_codec.h"

namespace jet {

inline constexpr const char* kComplexItemSeparator = "; ";

// The summaries of one complex column, by key.
using ComplexSummaries = std::unordered_map<int32_t, std::string>;

// The summaries of `column` (a kComplex column of `table`), read from its
// flat table as MSysComplexColumns names it. Corruption or NotFound naming
// the file, table and column when the hidden tables do not fit together.
Result<ComplexSummaries> ReadComplexSummaries(PageStore& store, const TextDecoder& text,
                                              const std::vector<CatalogEntry>& catalog,
                                              const TableDef& table, const ColumnDef& column);

// `inner` with each complex column's key replaced by its summary (text; ""
// for a key without items). `summaries` holds one entry per column of the
// table, null for columns that are not complex, and must outlive the cursor.
std::unique_ptr<TableCursor> WithComplexSummaries(
    std::unique_ptr<TableCursor> inner, std::vector<const ComplexSummaries*> summaries);

// The same replacement for one row's values.
void ReplaceComplexKeys(const std::vector<const ComplexSummaries*>& summaries,
                        std::vector<Value>* row);

}  // namespace jet
