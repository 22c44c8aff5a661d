// Calculated columns (Access 2010 and later) state one type in their column
// descriptor but store values of their expression's result type, which only
// the table's property blob in the catalog (its "ResultType") records.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "jet/database.h"
#include "jet/page_store.h"
#include "jet/text_codec.h"

namespace jet {

// Gives each calculated column of `table` its expression and the
// expression's result type, read from the table's properties in the catalog.
// Columns without a readable result type keep their stated one; without a
// readable expression, none. Corruption only for a catalog that
// cannot be read; a malformed property blob is passed over.
Status ApplyResultTypes(PageStore& store, const TextDecoder& text, TableDef* table);

// Ok when changing the columns at `changed` (positions in `table`) leaves
// every calculated column of `table` right. Access stores each calculated
// value and recomputes it only when it writes the row itself, so a column an
// expression reads cannot be changed here: InvalidArgument naming the
// calculated column (and `where`, the file and table). A column whose
// expression could not be read might read anything, so then every change to
// the table is refused. Calculated columns themselves are never changed.
Status CheckCalculatedInputs(const TableDef& table, const std::vector<size_t>& changed,
                             const std::string& where);

// Whether `expression` (an Access expression) may read the column `name`:
// true when the name appears as a bracketed name or inside a bare word
// outside string literals, and whenever the expression cannot be taken apart.
bool ExpressionMayRead(std::string_view expression, std::string_view name);

}  // namespace jet
