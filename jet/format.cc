#include "jet/format.h"

namespace jet {

const Format& Jet3Format() {
  static const Format f = {
      .version = 3,
      .page_size = 2048,
      .header_mask_length = 126,
      .sort_order_offset = 0x3A,
      .sort_order_size = 2,
      .password_length = 20,
      .password_date_mask = false,
      .data_row_count = 0x08,
      .data_first_slot = 0x0A,
      .index_prev = 8,
      .index_next = 12,
      .index_tail = 16,
      .index_prefix_length = 20,
      .index_prefix_size = 1,
      .index_entry_mask = 0x16,
      .index_entries = 0xF8,
      .tdef_row_count = 0x0C,
      .tdef_table_type = 0x14,
      .tdef_max_columns = 0x15,
      .tdef_var_columns = 0x17,
      .tdef_columns = 0x19,
      .tdef_logical_indexes = 0x1B,
      .tdef_real_indexes = 0x1F,
      .tdef_owned_map = 0x23,
      .tdef_free_map = 0x27,
      .tdef_first_real_index = 0x2B,
      .real_index_count_size = 8,
      .column_size = 18,
      .col_type = 0,
      .col_number = 1,
      .col_var_index = 3,
      .col_index = 5,
      .col_precision = 9,
      .col_code_page = 9,
      .col_flags = 13,
      .col_extra_flags = 0,
      .col_fixed_offset = 14,
      .col_length = 16,
      .name_length_size = 1,
      .text_utf16 = false,
      .real_index_size = 39,
      .real_index_columns = 0,
      .real_index_root = 34,
      .real_index_flags = 38,
      .logical_index_size = 20,
      .logical_index_number = 0,
      .logical_index_real = 4,
      .logical_index_rel_type = 8,
      .logical_index_type = 19,
      .row_count_size = 1,
  };
  return f;
}

const Format& Jet4Format() {
  static const Format f = {
      .version = 4,
      .page_size = 4096,
      .header_mask_length = 128,
      .sort_order_offset = 0x6E,
      .sort_order_size = 4,
      .password_length = 40,
      .password_date_mask = true,
      .data_row_count = 0x0C,
      .data_first_slot = 0x0E,
      .index_prev = 12,
      .index_next = 16,
      .index_tail = 20,
      .index_prefix_length = 24,
      .index_prefix_size = 2,
      .index_entry_mask = 0x1B,
      .index_entries = 0x1E0,
      .tdef_row_count = 0x10,
      .tdef_table_type = 0x28,
      .tdef_max_columns = 0x29,
      .tdef_var_columns = 0x2B,
      .tdef_columns = 0x2D,
      .tdef_logical_indexes = 0x2F,
      .tdef_real_indexes = 0x33,
      .tdef_owned_map = 0x37,
      .tdef_free_map = 0x3B,
      .tdef_first_real_index = 0x3F,
      .real_index_count_size = 12,
      .column_size = 25,
      .col_type = 0,
      .col_number = 5,
      .col_var_index = 7,
      .col_index = 9,
      .col_precision = 11,
      .col_code_page = 0,
      .col_flags = 15,
      .col_extra_flags = 16,
      .col_fixed_offset = 21,
      .col_length = 23,
      .name_length_size = 2,
      .text_utf16 = true,
      .real_index_size = 52,
      .real_index_columns = 4,
      .real_index_root = 38,
      .real_index_flags = 46,
      .logical_index_size = 28,
      .logical_index_number = 4,
      .logical_index_real = 8,
      .logical_index_rel_type = 12,
      .logical_index_type = 23,
      .row_count_size = 2,
  };
  return f;
}

namespace {
// Table definitions, rows and pages of ACE files are laid out as in Jet 4;
// the release number rides along for messages and for what depends on it.
Format AceOf(int ace_version) {
  Format f = Jet4Format();
  f.ace_version = ace_version;
  f.col_complex_id = 11;
  f.office_crypto = true;
  return f;
}
}  // namespace

const Format* AceFormat(uint8_t version_byte) {
  static const Format k12 = AceOf(12), k14 = AceOf(14), k15 = AceOf(15), k16 = AceOf(16),
                      k17 = AceOf(17);
  switch (version_byte) {
    case 2: return &k12;
    case 3: return &k14;
    case 4: return &k15;
    case 5: return &k16;
    case 6: return &k17;
    default: return nullptr;
  }
}

}  // namespace jet
