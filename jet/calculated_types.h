// Calculated columns (Access 2010 and later) state one type in their column
// descriptor but store values of their expression's result type, which only
// the table's property blob in the catalog (its "ResultType") records.
#pragma once

#include "jet/database.h"
#include "jet/page_store.h"
#include "jet/text_codec.h"

namespace jet {

// Gives each calculated column of `table` its expression's result type, read
// from the table's properties in the catalog. Columns without a readable
// result type keep their stated one. Corruption only for a catalog that
// cannot be read; a malformed property blob is passed over.
Status ApplyResultTypes(PageStore& store, const TextDecoder& text, TableDef* table);

}  // namespace jet
