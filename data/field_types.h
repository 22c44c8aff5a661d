// Field types and alignments as the grid and the data layer name them.
#pragma once

#include <cstdint>

namespace data {

enum TFieldType : uint8_t {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid,
  ftDataSet,
};

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

// "String", "Integer", ... : the type's name as messages show it.
const char* FieldTypeName(TFieldType type);

}  // namespace data
