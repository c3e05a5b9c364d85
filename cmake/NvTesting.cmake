# nv_add_test(<name> SOURCES <files...> LIBRARIES <targets...>)
# A GoogleTest program whose cases CTest runs one process each, with a fresh
# configuration folder (the registry lives there) and Qt's offscreen platform
# (both set up by nv::testsupport's main).
function(nv_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE nv::options nv::testsupport nv::testsuppressions GTest::gtest GTest::gmock ${ARG_LIBRARIES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
endfunction()
