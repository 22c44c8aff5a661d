// What the grid uses of the data layer: record sources, fields, data sources
// and links, under the names the grid code uses, plus small readers of field
// values the grid needs (numbers for summaries, booleans for check boxes).
#pragma once

#include <string>

#include "data/data_link.h"
#include "data/data_source.h"
#include "data/dataset.h"
#include "data/db_error.h"
#include "data/field.h"
#include "data/field_types.h"

namespace grid {

using data::TAlignment;
using data::TDataLink;
using data::TDataSet;
using data::TDataSetNotifyEvent;
using data::TDataSetState;
using data::TDataSource;
using data::TField;
using data::TFieldType;

// The current record's value of `field` as a number; 0 for null and for
// values that are not numbers.
double FieldAsFloat(const TField& field);
// The current record's value of `field` as a yes/no value; false for null.
bool FieldAsBoolean(const TField& field);
// True for the integer, float and decimal field types.
bool IsNumericField(const TField& field);
// True for date, time and date-and-time fields.
bool IsDateTimeField(const TField& field);
// The current value of `field` shown by a display pattern: empty for null,
// the number by a numeric pattern for numeric fields, the date and time by a
// date pattern for date and time fields, empty for other fields.
std::string FormatFieldValue(const TField& field, const std::string& pattern);

}  // namespace grid
