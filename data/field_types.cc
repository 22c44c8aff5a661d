#include "data/field_types.h"

namespace data {

const char* FieldTypeName(TFieldType type) {
  switch (type) {
    case ftString:
      return "String";
    case ftSmallint:
      return "Smallint";
    case ftInteger:
      return "Integer";
    case ftWord:
      return "Word";
    case ftBoolean:
      return "Boolean";
    case ftFloat:
      return "Float";
    case ftCurrency:
      return "Currency";
    case ftBCD:
      return "BCD";
    case ftDate:
      return "Date";
    case ftTime:
      return "Time";
    case ftDateTime:
      return "DateTime";
    case ftBytes:
      return "Bytes";
    case ftVarBytes:
      return "VarBytes";
    case ftAutoInc:
      return "AutoInc";
    case ftBlob:
      return "Blob";
    case ftMemo:
      return "Memo";
    case ftFixedChar:
      return "FixedChar";
    case ftWideString:
      return "WideString";
    case ftLargeint:
      return "Largeint";
    case ftVariant:
      return "Variant";
    case ftInterface:
      return "Interface";
    case ftIDispatch:
      return "IDispatch";
    case ftGuid:
      return "Guid";
    case ftDataSet:
      return "DataSet";
    case ftUnknown:
      break;
  }
  return "Unknown";
}

}  // namespace data
