#include "data/run_query.h"

#include <exception>

namespace data {

std::string ViewStatement(const std::string& table, const std::string& field,
                          const std::string& search) {
  std::string statement = "Select * From " + table;
  if (field.empty()) return statement;
  std::string literal;
  literal.reserve(search.size());
  for (char c : search) {
    literal += c;
    if (c == '\'') literal += '\'';
  }
  return statement + " Where InStr(" + field + ",'" + literal + "')";
}

bool RunQuery(TADOQuery& query, const std::string& statement, const std::string& failure_message,
              const ShowMessageFn& show_message, std::string* failure_text) {
  try {
    query.Close();
    query.SQL().Clear();
    query.SQL().Add(statement);
    query.Open();
    return true;
  } catch (const std::exception& e) {
    if (failure_text) *failure_text = e.what();
    if (show_message) show_message(failure_message);
    return false;
  }
}

}  // namespace data
