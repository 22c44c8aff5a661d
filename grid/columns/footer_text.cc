// The text of a footer cell.
#include "grid/columns/fixed_point.h"
#include "grid/columns/footer.h"
#include "grid/columns/grid_column.h"
#include "grid/columns/sum_list.h"
#include "text/number_text.h"

namespace grid {
namespace {

char DecimalSeparator(const TDataSet& source) { return source.Regional().decimal_separator; }

// A summary value shown the way the summed field's type asks.
std::string SummaryText(const TField& field, const std::string& pattern, TFixed value,
                        char separator) {
  switch (field.DataType()) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
      if (!pattern.empty()) {
        return text::FormatNumberPattern(pattern, FixedToDouble(value), separator);
      }
      // The full value, also when it no longer fits 32 bits.
      return std::to_string(FixedRoundToInteger(value));
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
      if (!pattern.empty()) {
        return text::FormatNumberPattern(pattern, FixedToDouble(value), separator);
      }
      return text::FormatGeneral(FixedToDouble(value), 15, separator);
    case TFieldType::ftBCD:
      if (!pattern.empty()) {
        return text::FormatNumberPattern(pattern, FixedToDouble(value), separator);
      }
      return text::FormatFixed4(value, separator);
    default:
      return "0";
  }
}

}  // namespace

std::string FooterCellText(int row, TGridColumn& column, TDataSet* source, TDataGridSumList& sums) {
  TColumnFooter& footer = column.FooterForRow(row);
  switch (footer.ValueType()) {
    case TFooterValueType::fvtSum:
    case TFooterValueType::fvtAvg: {
      if (!source) return "0";
      const std::string& name =
          footer.FieldName().empty() ? column.FieldName() : footer.FieldName();
      TField* field = source->FindField(name);
      if (!field) return "0";
      TGroupOperation op = footer.ValueType() == TFooterValueType::fvtSum ? TGroupOperation::goSum
                                                                          : TGroupOperation::goAvg;
      TSumItem* summary = sums.FindSummary(op, field->FieldName());
      if (!summary) return "0";
      return SummaryText(*field, footer.DisplayFormat(), summary->ResultValue,
                         DecimalSeparator(*source));
    }
    case TFooterValueType::fvtCount: {
      TSumItem* summary = sums.FindSummary(TGroupOperation::goCount, std::string());
      TFixed value = summary ? summary->ResultValue : 0;
      char separator = source ? DecimalSeparator(*source) : '.';
      if (!footer.DisplayFormat().empty()) {
        return text::FormatNumberPattern(footer.DisplayFormat(), FixedToDouble(value), separator);
      }
      return text::FormatGeneral(FixedToDouble(value), 15, separator);
    }
    case TFooterValueType::fvtFieldValue: {
      if (!source || !source->Active() || footer.FieldName().empty()) return std::string();
      // A footer naming no field shows nothing rather than failing the paint.
      TField* field = source->FindField(footer.FieldName());
      if (!field) return std::string();
      if (footer.DisplayFormat().empty()) return field->DisplayText();
      return FormatFieldValue(*field, footer.DisplayFormat());
    }
    case TFooterValueType::fvtStaticText:
      return footer.Value();
    case TFooterValueType::fvtNon:
      return std::string();
  }
  return std::string();
}

}  // namespace grid
