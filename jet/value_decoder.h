// Turning a column's stored bytes into a Value, including long values (memo
// and OLE) whose data lies inline, in one other row, or in a chain of rows.
#pragma once

#include <string>

#include "jet/database.h"
#include "jet/page_store.h"
#include "jet/row_layout.h"
#include "jet/text_codec.h"

namespace jet {

// The data of a long value whose 12-byte reference is `field`. Corruption
// (naming `where`) when a pointer, length or chain is impossible; a chain that
// loops is caught.
Result<Bytes> ReadLongValue(PageStore& store, ByteView field, const Where& where);

// The same data without a copy where it lies in one piece: a view of `field`
// itself (inline), or of its long-value page, which `*page` then keeps alive.
// A chain is gathered into `*scratch` and the view is of that.
Result<ByteView> LongValueData(PageStore& store, ByteView field, const Where& where, PageRef* page,
                               Bytes* scratch);

// The value of `column` in `row`, given its slice. Long values are fetched
// through `store`; text is decoded with `text`.
Result<Value> DecodeValue(const ColumnDef& column, const ColumnSlice& slice, ByteView row,
                          const TextDecoder& text, PageStore& store, const Where& where);

}  // namespace jet
