// Making fields from column descriptions.
#pragma once

#include <memory>
#include <string>

#include "data/field.h"
#include "data/provider/provider.h"

namespace data {

// The field class for a result column (by its data type number; see the
// class table in field_factory.cc), with size, precision and read-only flag
// taken from the description; nullptr for an unsupported type.
std::unique_ptr<TField> CreateField(const provider::ColumnInfo& column);

// Attaches a new field to its record source under `name` at `index`.
void BindField(TField& field, TDataSet* dataset, int index, std::string name);

}  // namespace data
