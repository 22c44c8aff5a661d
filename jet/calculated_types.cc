#include "jet/calculated_types.h"

#include <map>
#include <optional>

#include "jet/catalog.h"
#include "jet/table_def.h"
#include "jet/table_scan.h"
#include "text/case_fold.h"

namespace jet {

namespace {

constexpr uint32_t kObjectIdMask = 0x00FFFFFF;
constexpr uint16_t kChunkNames = 0x80;
constexpr uint8_t kMaxKnownType = 0x14;

// What the properties of a calculated column say.
struct CalculatedProperties {
  uint8_t result_type = 0;
  std::optional<std::string> expression;
};

// Column name (case-folded) -> its "ResultType" and "Expression" properties.
// The blob is "MR2\0", then chunks of (u32 length, u16 kind, body): one lists
// the property names, the others hold one object's properties each: a u32
// header length, the object's name, then (u16 length, u8 flags, u8 type,
// u16 name index, u16 value length, value) per property.
std::map<std::string, CalculatedProperties> ReadProperties(ByteView blob, const TextDecoder& text) {
  std::map<std::string, CalculatedProperties> out;
  if (blob.size < 4 || blob.U32(0) != 0x0032524D) return out;  // "MR2\0"
  std::vector<std::string> names;
  size_t pos = 4;
  while (blob.In(pos, 6)) {
    size_t length = blob.U32(pos);
    uint16_t kind = blob.U16(pos + 4);
    if (length < 6 || !blob.In(pos, length)) break;
    ByteView body = blob.Sub(pos + 6, length - 6);
    pos += length;
    if (kind == kChunkNames) {
      for (size_t q = 0; body.In(q, 2) && body.In(q + 2, body.U16(q)); q += 2 + body.U16(q)) {
        names.push_back(text.Decode(body.Sub(q + 2, body.U16(q))));
      }
      continue;
    }
    if (!body.In(0, 6)) continue;
    size_t header = body.U32(0);
    size_t name_length = body.U16(4);
    if (!body.In(6, name_length) || header < 6 + name_length || !body.In(header, 0)) continue;
    std::string object = text::FoldCase(text.Decode(body.Sub(6, name_length)));
    for (size_t q = header; body.In(q, 8);) {
      size_t entry = body.U16(q);
      size_t index = body.U16(q + 4);
      size_t value_length = body.U16(q + 6);
      if (entry < 8 || !body.In(q, entry) || value_length > entry - 8) break;
      if (index < names.size() && names[index] == "ResultType" && value_length >= 1) {
        out[object].result_type = body.U8(q + 8);
      } else if (index < names.size() && names[index] == "Expression") {
        out[object].expression = text.Decode(body.Sub(q + 8, value_length));
      }
      q += entry;
    }
  }
  return out;
}

std::optional<size_t> ColumnNamed(const TableDef& def, const char* name) {
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (def.columns[i].name == name) return i;
  }
  return std::nullopt;
}

}  // namespace

Status ApplyResultTypes(PageStore& store, const TextDecoder& text, TableDef* table) {
  bool any = false;
  for (const ColumnDef& c : table->columns) any = any || c.calculated;
  if (!any) return Status::Ok();
  JET_ASSIGN_OR_RETURN(TableDef catalog, ReadTableDef(store, text, kCatalogPage));
  catalog.name = "MSysObjects";
  auto id = ColumnNamed(catalog, "Id");
  auto props = ColumnNamed(catalog, "LvProp");
  if (!id || !props) return Status::Ok();
  JET_ASSIGN_OR_RETURN(auto scan, TableScan::Open(&store, &text, catalog));
  for (;;) {
    JET_ASSIGN_OR_RETURN(bool more, scan->Next());
    if (!more) return Status::Ok();
    JET_ASSIGN_OR_RETURN(Value v, scan->Get(*id));
    auto* i = std::get_if<int32_t>(&v);
    if (i == nullptr || (static_cast<uint32_t>(*i) & kObjectIdMask) != table->definition_page) {
      continue;
    }
    JET_ASSIGN_OR_RETURN(Value blob, scan->Get(*props));
    auto* bytes = std::get_if<Bytes>(&blob);
    if (bytes == nullptr) return Status::Ok();
    auto properties = ReadProperties(ByteView{bytes->data(), bytes->size()}, text);
    for (ColumnDef& c : table->columns) {
      if (!c.calculated) continue;
      auto it = properties.find(text::FoldCase(c.name));
      if (it == properties.end()) continue;
      c.expression = it->second.expression;
      const uint8_t type = it->second.result_type;
      if (type != 0 && type <= kMaxKnownType) c.type = static_cast<ColumnType>(type);
    }
    return Status::Ok();
  }
}

bool ExpressionMayRead(std::string_view expression, std::string_view name) {
  const std::string wanted = text::FoldCase(std::string(name));
  auto word_char = [](unsigned char c) {
    return c == '_' || c >= 0x80 || (c >= '0' && c <= '9') ||
           ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
  };
  size_t i = 0;
  while (i < expression.size()) {
    const char c = expression[i];
    if (c == '"') {
      // A string literal; "" inside it is one quote.
      size_t j = i + 1;
      for (;;) {
        j = expression.find('"', j);
        if (j == std::string_view::npos) return true;  // unterminated: cannot tell
        if (j + 1 < expression.size() && expression[j + 1] == '"') {
          j += 2;
          continue;
        }
        break;
      }
      i = j + 1;
    } else if (c == '[') {
      size_t j = expression.find(']', i + 1);
      if (j == std::string_view::npos) return true;
      if (text::FoldCase(std::string(expression.substr(i + 1, j - i - 1))) == wanted) return true;
      i = j + 1;
    } else if (word_char(static_cast<unsigned char>(c))) {
      size_t j = i;
      while (j < expression.size() && word_char(static_cast<unsigned char>(expression[j]))) ++j;
      // Any name inside a bare word counts: letters of other scripts and
      // their punctuation all join one word here.
      if (text::FoldCase(std::string(expression.substr(i, j - i))).find(wanted) !=
          std::string::npos) {
        return true;
      }
      i = j;
    } else {
      ++i;
    }
  }
  return false;
}

Status CheckCalculatedInputs(const TableDef& table, const std::vector<size_t>& changed,
                             const std::string& where) {
  for (size_t column : changed) {
    if (column >= table.columns.size()) continue;
    const ColumnDef& target = table.columns[column];
    if (target.calculated) {
      return Status::InvalidArgument(where + ": column '" + target.name +
                                     "' is a calculated column; Access computes its values");
    }
    for (const ColumnDef& calc : table.columns) {
      if (!calc.calculated) continue;
      if (!calc.expression) {
        const std::string why = "the expression of calculated column '" + calc.name +
                                "' cannot be read, so it may depend on any column";
        return Status::InvalidArgument(where + ": column '" + target.name +
                                       "' cannot be changed: " + why);
      }
      if (ExpressionMayRead(*calc.expression, target.name)) {
        return Status::InvalidArgument(where + ": column '" + target.name +
                                       "' cannot be changed: calculated column '" + calc.name +
                                       "' is computed from it (" + *calc.expression + ")");
      }
    }
  }
  return Status::Ok();
}

}  // namespace jet
