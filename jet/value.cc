#include "jet/value.h"

namespace jet {

const char* ColumnTypeName(ColumnType type) {
  switch (type) {
    case ColumnType::kBoolean:
      return "Yes/No";
    case ColumnType::kByte:
      return "Byte";
    case ColumnType::kInteger:
      return "Integer";
    case ColumnType::kLong:
      return "Long Integer";
    case ColumnType::kCurrency:
      return "Currency";
    case ColumnType::kSingle:
      return "Single";
    case ColumnType::kDouble:
      return "Double";
    case ColumnType::kDateTime:
      return "Date/Time";
    case ColumnType::kBinary:
      return "Binary";
    case ColumnType::kText:
      return "Text";
    case ColumnType::kOle:
      return "OLE Object";
    case ColumnType::kMemo:
      return "Memo";
    case ColumnType::kGuid:
      return "Replication ID";
    case ColumnType::kNumeric:
      return "Decimal";
    case ColumnType::kComplex:
      return "Attachment or multiple values";
    case ColumnType::kBigInt:
      return "Large Number";
    case ColumnType::kExtendedDateTime:
      return "Date/Time Extended";
  }
  return "Unknown";
}

}  // namespace jet
