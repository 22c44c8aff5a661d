// One descriptor per Jet version: page size, header and structure offsets.
//
// Code that parses the file reads positions from here instead of testing the
// version, so the two layouts are described side by side in one place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

struct Format {
  int version;         // 3 or 4
  uint32_t page_size;  // 2048 or 4096

  // Database header (page 0).
  size_t header_mask_length;  // bytes RC4-masked from 0x18
  size_t sort_order_offset;
  size_t sort_order_size;   // 2 or 4 bytes
  size_t password_length;   // 20 bytes (code page) or 40 bytes (UTF-16)
  bool password_date_mask;  // XOR-ed with the integer part of the creation date

  // Data and long-value pages.
  size_t data_row_count;   // offset of the slot count
  size_t data_first_slot;  // offset of the first slot entry

  // Index pages (nodes and leaves). The owning table's page is at 4 in both
  // versions; Jet 4 inserts four bytes after it, which shifts the rest.
  size_t index_prev;           // previous page on the same level
  size_t index_next;           // next page on the same level
  size_t index_tail;           // a node's last child, which has no entry
  size_t index_prefix_length;  // bytes every entry after the first leaves out
  size_t index_prefix_size;    // width of that count: 1 or 2 bytes
  size_t index_entry_mask;     // bitmap marking where each entry ends
  size_t index_entries;        // start of the entry area

  // Table definition (offsets into the joined definition bytes).
  size_t tdef_row_count;
  size_t tdef_table_type;
  size_t tdef_max_columns;
  size_t tdef_var_columns;
  size_t tdef_columns;
  size_t tdef_logical_indexes;
  size_t tdef_real_indexes;
  size_t tdef_owned_map;
  size_t tdef_free_map;
  size_t tdef_first_real_index;  // start of the per-index row counts
  size_t real_index_count_size;  // bytes per entry of that block

  size_t column_size;  // bytes per column descriptor
  size_t col_type;
  size_t col_number;
  size_t col_var_index;
  size_t col_index;
  size_t col_precision;  // scale follows at +1
  size_t col_code_page;  // 0 when the version does not store one per column
  size_t col_flags;
  size_t col_extra_flags;  // 0 when absent
  size_t col_fixed_offset;
  size_t col_length;

  size_t name_length_size;  // 1 (code page text) or 2 (UTF-16 byte count)
  bool text_utf16;

  size_t real_index_size;     // physical index descriptor
  size_t real_index_columns;  // offset of its 10 column slots
  size_t real_index_root;     // first page of its tree
  size_t real_index_flags;    // unique, ignore nulls, required
  size_t logical_index_size;
  size_t logical_index_number;
  size_t logical_index_real;
  size_t logical_index_rel_type;
  size_t logical_index_type;

  // Rows.
  size_t row_count_size;  // column count, variable count and offsets: 1 or 2 bytes

  // Access 2007 and later (.accdb): Jet 4's layout plus these. Zero elsewhere.
  int ace_version = 0;       // 12, 14, 15, 16 or 17; 0 for .mdb formats
  size_t col_complex_id = 0;  // complex columns: their id in MSysComplexColumns
  bool office_crypto = false;  // a database password means Office document encryption
};

const Format& Jet3Format();
const Format& Jet4Format();
// The format for the version byte of an ACE header (2: 2007 ... 6: 2019), or
// nullptr for a byte no Access release writes.
const Format* AceFormat(uint8_t version_byte);

// Page types (first byte of a page).
inline constexpr uint8_t kPageData = 0x01;
inline constexpr uint8_t kPageTableDef = 0x02;
inline constexpr uint8_t kPageIndexNode = 0x03;
inline constexpr uint8_t kPageIndexLeaf = 0x04;
inline constexpr uint8_t kPageUsageMap = 0x05;

// Slot entry flags on data pages.
inline constexpr uint16_t kSlotDeleted = 0x8000;
inline constexpr uint16_t kSlotLookup = 0x4000;
inline constexpr uint16_t kSlotOffsetMask = 0x1FFF;

// Column flags.
inline constexpr uint8_t kColFixed = 0x01;
inline constexpr uint8_t kColNullable = 0x02;
inline constexpr uint8_t kColAutoLong = 0x04;
inline constexpr uint8_t kColAutoGuid = 0x40;
inline constexpr uint8_t kColHyperlink = 0x80;
inline constexpr uint8_t kColCompressed = 0x01;  // in the extra flags byte
inline constexpr uint8_t kColCalculated = 0xC0;  // in the extra flags byte (ACE)

}  // namespace jet
