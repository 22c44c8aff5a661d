// TFormMainDatabase: the database steps of Open, Refresh and Modify, behind
// one narrow interface so that the window can be built and tested without
// them. Implementations throw std::exception carrying the message the user
// must see; the window shows it in its error box.
#pragma once

#include <string>

namespace app {

class TFormMainDatabase {
 public:
  virtual ~TFormMainDatabase() = default;

  // Open's connection: disconnect, set the connection string built from
  // `file` and `password` exactly as typed, connect. Throws when connecting
  // fails (the provider's description as the message).
  virtual void Connect(const std::string& file, const std::string& password) = 0;

  // RefreshView: rebuild the grid's view from the table, field and search
  // texts. A statement that cannot run is reported by the implementation
  // itself ("数据库打开失败" through the window's message box); what it then
  // throws ends the calling command.
  virtual void RefreshView(const std::string& table, const std::string& field,
                           const std::string& search) = 0;

  // Modify's work on the rows, between saving the replacement text and the
  // "修改完毕" box: run the view's last statement on the scratch query and,
  // in every row, replace `old_value` by `new_value` in `field`, ignoring
  // case, and post. Throws at the first row that cannot be changed.
  virtual void ReplaceRows(const std::string& field, const std::string& old_value,
                           const std::string& new_value) = 0;
};

// The stand-in used until the database engine is wired in: every step fails
// with a message that says so.
class TDatabaseNotWired : public TFormMainDatabase {
 public:
  static constexpr const char* kMessage = "数据库引擎尚未接入，暂时无法打开数据库";

  void Connect(const std::string& file, const std::string& password) override;
  void RefreshView(const std::string& table, const std::string& field,
                   const std::string& search) override;
  void ReplaceRows(const std::string& field, const std::string& old_value,
                   const std::string& new_value) override;
};

}  // namespace app
