// tarnquill-cli query FILE STATEMENT: runs a statement through the data
// layer (connection, record source, provider) and prints the rows as CSV in
// the same forms as export, so the window program's read path can be
// checked from outside.
#include <string>

#include "cli/commands.h"
#include "cli/open_database.h"
#include "data/db_error.h"
#include "data/provider/ado.h"
#include "data/share_dm.h"
#include "jet/value_text.h"

namespace cli {
namespace {

using provider::Variant;

// The engine value a column's variant stands for, so that numbers keep the
// precision of their column type in the text.
jet::Value ToEngineValue(const Variant& v, int type) {
  if (provider::IsNull(v)) return std::monostate{};
  if (auto* i = std::get_if<int64_t>(&v)) {
    switch (type) {
      case provider::adUnsignedTinyInt:
        return static_cast<uint8_t>(*i);
      case provider::adSmallInt:
        return static_cast<int16_t>(*i);
      case provider::adInteger:
        return static_cast<int32_t>(*i);
      default:
        return static_cast<double>(*i);
    }
  }
  if (auto* d = std::get_if<double>(&v)) {
    if (type == provider::adSingle) return static_cast<float>(*d);
    return *d;
  }
  if (auto* b = std::get_if<bool>(&v)) return *b;
  if (auto* c = std::get_if<provider::Currency>(&v)) return *c;
  if (auto* d = std::get_if<provider::Decimal>(&v)) return *d;
  if (auto* t = std::get_if<provider::DateTime>(&v)) return *t;
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  if (auto* b = std::get_if<provider::Bytes>(&v)) return *b;
  if (auto* g = std::get_if<provider::Guid>(&v)) return *g;
  return std::monostate{};
}

// A failure as the window program shows it: a full stop appended when the
// text does not end in one already.
std::string Shown(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace

int RunQuery(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args;
  if (!ParseCommandArgs("query", argv, 2, &args, err)) return kExitUsage;
  data::TShareDataModule dm;
  data::TADOQuery& query = dm.ADOQueryTemp;
  try {
    dm.ADOConnection1.SetConnectionString(
        data::BuildConnectionString(args.positional[0], args.password));
    dm.ADOConnection1.SetConnected(true);
    query.SQL().Clear();
    query.SQL().Add(args.positional[1]);
    query.Open();
    const std::vector<provider::ColumnInfo>& columns = query.Columns();
    std::string line;
    for (int i = 0; i < query.FieldCount(); ++i) {
      if (i > 0) line.push_back(',');
      line += jet::CsvName(query.Field(i)->FieldName());
    }
    out << line << "\n";
    for (query.First(); !query.Eof(); query.Next()) {
      line.clear();
      for (int i = 0; i < query.FieldCount(); ++i) {
        if (i > 0) line.push_back(',');
        line += jet::CsvField(ToEngineValue(query.Field(i)->Value(), columns.at(i).type));
      }
      line.push_back('\n');
      out << line;
    }
  } catch (const std::exception& e) {
    out.flush();
    const std::string missing = MissingFieldMessage(args.positional[1], e.what());
    err << InFile(args.positional[0], missing.empty() ? Shown(e.what()) : missing) << "\n";
    return kExitFailure;
  }
  out.flush();
  return out ? kExitOk : kExitFailure;
}

}  // namespace cli
