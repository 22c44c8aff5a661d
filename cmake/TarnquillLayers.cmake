# Layers: every top-level folder (text, jet, data, grid, view, app, cli,
# tests, ...) is a layer, and a target sees only the headers of the layers
# it links. `#include "grid/x.h"` in a library that does not link a grid
# library does not compile, so the build itself refuses a layer violation.
#
# Each layer gets an include folder of its own holding one link to the
# source folder: build/layers/jet/jet -> <source>/jet.
function(tarnquill_layer target layer)
  set(root ${PROJECT_BINARY_DIR}/layers/${layer})
  if(NOT EXISTS ${root}/${layer})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${layer} ${root}/${layer} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
