#include "data/field_factory.h"

#include "data/provider/ado.h"

namespace data {

using namespace provider;  // NOLINT: the ADO type names read best bare here

std::unique_ptr<TField> CreateField(const ColumnInfo& c) {
  const int size = static_cast<int>(c.defined_size);
  std::unique_ptr<TField> f;
  switch (c.type) {
    case adSmallInt:
    case adTinyInt:
      f = std::make_unique<TSmallintField>();
      break;
    case adInteger:
    case adError:
    case adUnsignedInt:
      if (c.auto_increment) {
        f = std::make_unique<TAutoIncField>();
      } else {
        f = std::make_unique<TIntegerField>();
      }
      break;
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
      f = std::make_unique<TWordField>();
      break;
    case adBigInt:
    case adUnsignedBigInt:
      f = std::make_unique<TLargeintField>();
      break;
    case adSingle:
    case adDouble:
      f = std::make_unique<TFloatField>();
      break;
    case adCurrency:
      f = std::make_unique<TBCDField>(4, c.precision > 0 ? c.precision : 19);
      break;
    case adNumeric:
      if (c.scale == 0 && c.precision < 10) {
        f = std::make_unique<TIntegerField>();
        break;
      }
      [[fallthrough]];
    case adDecimal:
    case adVarNumeric: {
      // A scale the platform leaves unreported (255) reads as four places.
      const int scale = c.scale == 255 || c.scale < 0 ? 4 : c.scale;
      f = std::make_unique<TBCDField>(scale, c.precision);
      break;
    }
    case adBoolean:
      f = std::make_unique<TBooleanField>();
      break;
    case adDate:
    case adFileTime:
    case adDBTimeStamp:
    case adDBFileTime:
      f = std::make_unique<TDateTimeField>();
      break;
    case adDBDate:
      f = std::make_unique<TDateField>();
      break;
    case adDBTime:
      f = std::make_unique<TTimeField>();
      break;
    case adVarChar:
      f = std::make_unique<TStringField>(size);
      break;
    case adChar:
      f = std::make_unique<TStringField>(size, true);
      break;
    case adBSTR:
    case adWChar:
    case adVarWChar:
      f = std::make_unique<TWideStringField>(size);
      break;
    case adLongVarChar:
    case adLongVarWChar:
      f = std::make_unique<TMemoField>();
      break;
    case adLongVarBinary:
      f = std::make_unique<TBlobField>();
      break;
    case adBinary:
      f = std::make_unique<TBytesField>(size);
      break;
    case adVarBinary:
      f = std::make_unique<TVarBytesField>(size);
      break;
    case adGUID:
      f = std::make_unique<TGuidField>();
      break;
    case adVariant:
    case adPropVariant:
      f = std::make_unique<TVariantField>();
      break;
    case adIDispatch:
      f = std::make_unique<TIDispatchField>();
      break;
    case adIUnknown:
      f = std::make_unique<TInterfaceField>();
      break;
    case adChapter:
      f = std::make_unique<TDataSetField>();
      break;
    default:
      return nullptr;
  }
  const bool updatable = (c.attributes & (adFldUpdatable | adFldUnknownUpdatable)) != 0;
  if (!updatable || c.auto_increment) f->SetReadOnly(true);
  return f;
}

}  // namespace data
