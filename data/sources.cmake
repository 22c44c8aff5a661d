# The data layer's own sources: record sources, fields, data sources and
# links, the connection component and the shared data module.
add_library(tarnquill_data
  ${CMAKE_CURRENT_LIST_DIR}/ado_connection.cc
  ${CMAKE_CURRENT_LIST_DIR}/ado_query.cc
  ${CMAKE_CURRENT_LIST_DIR}/bulk_replace.cc
  ${CMAKE_CURRENT_LIST_DIR}/data_link.cc
  ${CMAKE_CURRENT_LIST_DIR}/data_source.cc
  ${CMAKE_CURRENT_LIST_DIR}/dataset.cc
  ${CMAKE_CURRENT_LIST_DIR}/dataset_filter.cc
  ${CMAKE_CURRENT_LIST_DIR}/db_error.cc
  ${CMAKE_CURRENT_LIST_DIR}/field.cc
  ${CMAKE_CURRENT_LIST_DIR}/field_classes.cc
  ${CMAKE_CURRENT_LIST_DIR}/field_factory.cc
  ${CMAKE_CURRENT_LIST_DIR}/field_types.cc
  ${CMAKE_CURRENT_LIST_DIR}/filter_expression.cc
  ${CMAKE_CURRENT_LIST_DIR}/regional.cc
  ${CMAKE_CURRENT_LIST_DIR}/replace_rule.cc
  ${CMAKE_CURRENT_LIST_DIR}/replace_text.cc
  ${CMAKE_CURRENT_LIST_DIR}/run_query.cc
  ${CMAKE_CURRENT_LIST_DIR}/share_dm.cc
  ${CMAKE_CURRENT_LIST_DIR}/strings.cc
  ${CMAKE_CURRENT_LIST_DIR}/table_names.cc
)
tarnquill_layer(tarnquill_data data)
target_link_libraries(tarnquill_data PUBLIC tarnquill_provider)
