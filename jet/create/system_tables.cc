#include "jet/create/system_tables.h"

namespace jet::create {

namespace {

// Account ids as a database created by the engine itself records them: the
// engine (owner of the system objects), the admin user (owner of the database
// object and of user tables) and the groups the containers grant rights to.
const Bytes kEngineSid = {0x65, 0x89};
const Bytes kAdminSid = {0x64, 0x8B};
const Bytes kAdminsSid = {0x65, 0x8E};
const Bytes kUsersSid = {0x65, 0x8B};

ColumnSpec Col(const char* name, ColumnType type, uint16_t max_length = 255) {
  ColumnSpec c;
  c.name = name;
  c.type = type;
  c.max_length = max_length;
  c.compressed = false;
  return c;
}

IndexSpec Idx(const char* name, std::vector<const char*> columns, bool primary, bool unique,
              bool ignore_nulls, bool required) {
  IndexSpec x;
  x.name = name;
  for (const char* c : columns) x.columns.push_back(IndexColumnSpec{c, true});
  x.primary = primary;
  x.unique = unique;
  x.ignore_nulls = ignore_nulls;
  x.required = required;
  return x;
}

Row Ace(int32_t object, const Bytes& sid, int32_t acm, bool inheritable) {
  return Row{object, sid, acm, inheritable};
}

}  // namespace

std::vector<TableSpec> SystemTableSpecs() {
  using T = ColumnType;
  TableSpec objects{
      "MSysObjects",
      {Col("Id", T::kLong), Col("ParentId", T::kLong), Col("Name", T::kText),
       Col("Type", T::kInteger), Col("DateCreate", T::kDateTime), Col("DateUpdate", T::kDateTime),
       Col("Owner", T::kBinary), Col("Flags", T::kLong), Col("Database", T::kMemo),
       Col("Connect", T::kMemo), Col("ForeignName", T::kText), Col("RmtInfoShort", T::kBinary),
       Col("RmtInfoLong", T::kOle), Col("Lv", T::kOle), Col("LvProp", T::kOle),
       Col("LvModule", T::kOle), Col("LvExtra", T::kOle)},
      {Idx("ParentIdName", {"ParentId", "Name"}, false, true, false, false),
       Idx("Id", {"Id"}, true, true, false, false)}};
  TableSpec aces{"MSysACEs",
                 {Col("ObjectId", T::kLong), Col("SID", T::kBinary), Col("ACM", T::kLong),
                  Col("FInheritable", T::kBoolean)},
                 {Idx("ObjectId", {"ObjectId"}, false, false, false, true)}};
  TableSpec queries{
      "MSysQueries",
      {Col("ObjectId", T::kLong), Col("Attribute", T::kByte), Col("Order", T::kBinary),
       Col("Name1", T::kText), Col("Name2", T::kText), Col("Expression", T::kMemo),
       Col("Flag", T::kInteger), Col("LvExtra", T::kLong)},
      {Idx("ObjectIdAttribute", {"ObjectId", "Attribute", "Order"}, true, true, false, false)}};
  TableSpec relationships{
      "MSysRelationships",
      {Col("szRelationship", T::kText), Col("grbit", T::kLong), Col("ccolumn", T::kLong),
       Col("icolumn", T::kLong), Col("szObject", T::kText), Col("szColumn", T::kText),
       Col("szReferencedObject", T::kText), Col("szReferencedColumn", T::kText)},
      {Idx("szRelationship", {"szRelationship"}, false, false, true, false),
       Idx("szObject", {"szObject"}, false, false, true, false),
       Idx("szReferencedObject", {"szReferencedObject"}, false, false, true, false)}};
  return {objects, aces, queries, relationships};
}

Row CatalogRow(int32_t id, int32_t parent, const std::string& name, int16_t type, double date,
               const Bytes& owner, int32_t flags) {
  Row r(kCatColumnCount);
  r[kCatId] = id;
  r[kCatParentId] = parent;
  r[kCatName] = name;
  r[kCatType] = type;
  r[kCatDateCreate] = DateTime{date};
  r[kCatDateUpdate] = DateTime{date};
  r[kCatOwner] = owner;
  r[kCatFlags] = flags;
  return r;
}

std::vector<Row> InitialCatalogRows(double date) {
  const int32_t f = kSystemObjectFlags;
  return {CatalogRow(kTablesId, kRootId, "Tables", 3, date, kEngineSid, f),
          CatalogRow(kDatabasesId, kRootId, "Databases", 3, date, kEngineSid, f),
          CatalogRow(kRelationshipsId, kRootId, "Relationships", 3, date, kEngineSid, f),
          CatalogRow(kMSysDbId, kDatabasesId, "MSysDb", 2, date, kAdminSid, f),
          CatalogRow(2, kTablesId, "MSysObjects", 1, date, kEngineSid, f),
          CatalogRow(3, kTablesId, "MSysACEs", 1, date, kEngineSid, f),
          CatalogRow(4, kTablesId, "MSysQueries", 1, date, kEngineSid, f),
          CatalogRow(5, kTablesId, "MSysRelationships", 1, date, kEngineSid, f)};
}

std::vector<Row> InitialAceRows() {
  return {Ace(2, kAdminSid, 393216, false),
          Ace(3, kAdminSid, 393216, false),
          Ace(4, kAdminSid, 393216, false),
          Ace(5, kAdminSid, 917504, false),
          Ace(kTablesId, kAdminsSid, 983294, true),
          Ace(kTablesId, kAdminSid, 393217, false),
          Ace(kRelationshipsId, kAdminsSid, 983294, true),
          Ace(kRelationshipsId, kAdminSid, 393217, false),
          Ace(kDatabasesId, kAdminSid, 393216, false),
          Ace(kMSysDbId, kAdminSid, 393230, false),
          Ace(kMSysDbId, kUsersSid, 14, false),
          Ace(4, kUsersSid, 20, false),
          Ace(5, kUsersSid, 20, false),
          Ace(2, kUsersSid, 20, false),
          Ace(kTablesId, kUsersSid, 1048319, true),
          Ace(kRelationshipsId, kUsersSid, 1048575, true)};
}

std::vector<Row> TableAceRows(int32_t table_id) {
  return {Ace(table_id, kAdminsSid, 983294, false), Ace(table_id, kUsersSid, 1048319, false)};
}

Bytes UserTableOwner() { return kAdminSid; }

}  // namespace jet::create
