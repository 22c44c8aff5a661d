// The system tables every Access 2000 database carries, and the rows a new
// database starts with: the catalog's containers and system entries, and the
// access control entries that give the default accounts their rights.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/create/spec.h"

namespace jet::create {

// Catalog ids of the containers (the parent of every table is kTablesId).
inline constexpr int32_t kRootId = 0x0F000000;
inline constexpr int32_t kTablesId = 0x0F000001;
inline constexpr int32_t kDatabasesId = 0x0F000002;
inline constexpr int32_t kRelationshipsId = 0x0F000003;
inline constexpr int32_t kMSysDbId = 0x10000000;
inline constexpr int32_t kSystemObjectFlags = static_cast<int32_t>(0x80000000);

// Column positions of the catalog table.
enum CatalogColumn : size_t {
  kCatId,
  kCatParentId,
  kCatName,
  kCatType,
  kCatDateCreate,
  kCatDateUpdate,
  kCatOwner,
  kCatFlags,
  kCatColumnCount = 17
};
enum AceColumn : size_t { kAceObjectId, kAceSid, kAceAcm, kAceInheritable };

// MSysObjects, MSysACEs, MSysQueries and MSysRelationships, in the order
// their definitions occupy pages 2 to 5.
std::vector<TableSpec> SystemTableSpecs();

// One catalog row. `owner` is the owning account's id.
Row CatalogRow(int32_t id, int32_t parent, const std::string& name, int16_t type, double date,
               const Bytes& owner, int32_t flags);

// The catalog rows of a new database (containers, the database object and
// the four system tables at pages 2-5), dated `date`.
std::vector<Row> InitialCatalogRows(double date);
// Its access control entries.
std::vector<Row> InitialAceRows();
// The entries a new table inherits from the Tables container.
std::vector<Row> TableAceRows(int32_t table_id);
// The owner recorded for user tables.
Bytes UserTableOwner();

}  // namespace jet::create
