# tarnquill_add_test(NAME name SOURCES a.cc b.cc LIBS lib1 lib2 [COST seconds])
# One GoogleTest executable; every test runs headless and may find the
# shared corpus through TARNQUILL_CORPUS (tests skip when it is absent).
# COST, for executables holding tests of a minute or more, is about how long
# the slowest takes in the sanitizer build: ctest starts the costliest first,
# so that they overlap the many short tests instead of running alone at the
# end (a fresh build has no timings of its own to go by).
set(TARNQUILL_CORPUS_DIR "${PROJECT_SOURCE_DIR}/../shared/corpus"
    CACHE PATH "Folder of real Access files used by conformance tests")

function(tarnquill_add_test)
  cmake_parse_arguments(T "" "NAME;COST" "SOURCES;LIBS" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  tarnquill_layer(${T_NAME} tests)
  target_compile_definitions(${T_NAME} PRIVATE
    TARNQUILL_CORPUS="${TARNQUILL_CORPUS_DIR}"
    TARNQUILL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(NOT T_COST)
    set(T_COST 0)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1"
      COST ${T_COST})
endfunction()
