# nv_add_test(<name> SOURCES <files...> LIBRARIES <targets...>)
# A GoogleTest program whose cases CTest runs one process each, with a fresh
# configuration folder (the registry lives there) and Qt's offscreen platform
# (both set up by nv::testsupport's main).
#
# Every case carries the label of its program's folder under tests/
# ("platform", "sonvox", ...), and the cases of the programs listed in
# NV_THREADED_TEST_PROGRAMS also carry "threaded": those are the ones worth
# running again under ThreadSanitizer (ctest -L threaded).

# Programs whose code under test runs on more than one thread: kernel objects
# and wave output, playback, the bell object, the request threads, and the
# programs' windows with their document and device threads. The printing
# tests stay out: Qt's print dialog starts the print system's helper with
# fork from a threaded process, which ThreadSanitizer cannot follow.
set(NV_THREADED_TEST_PROGRAMS
  platform_kernel_tests
  sound_waveout_test
  sound_playback_test
  sonvox_module_tests
  chimox_bell_tests
  common_request_thread_tests
  notara_doc_thread_tests
  notara_window_tests
  notara_midi_import_tests
  notara_ringtone_edits_tests
  notara_ringtone_window_tests
  setora_window_tests
  dinova_tests
)

function(nv_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE nv::options nv::testsupport nv::testsuppressions GTest::gtest GTest::gmock ${ARG_LIBRARIES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(labels ${folder})
  if(name IN_LIST NV_THREADED_TEST_PROGRAMS)
    list(APPEND labels threaded)
  endif()
  set_property(GLOBAL APPEND PROPERTY NV_TEST_PROGRAMS ${name})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
  # A list does not survive the discovery's PROPERTIES, so the labels are set
  # by a script that CTest reads after the discovered cases (their names are
  # in <name>_TESTS then; a program not built has none).
  set(labelScript ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${labelScript}
       "if(DEFINED ${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labelScript})
endfunction()

# threaded_tests builds just those programs (and the modules they load), for
# the ThreadSanitizer build. A renamed or removed program must not drop out
# of that run unnoticed: in a full build a listed name that does not exist is
# warned about at configure time.
function(_nv_add_threaded_tests_target)
  add_custom_target(threaded_tests)
  get_property(programs GLOBAL PROPERTY NV_TEST_PROGRAMS)
  foreach(name IN LISTS NV_THREADED_TEST_PROGRAMS)
    if(name IN_LIST programs)
      add_dependencies(threaded_tests ${name})
    elseif(NV_BUILD_GUI)
      message(WARNING "NV_THREADED_TEST_PROGRAMS names '${name}', which nv_add_test never defined")
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _nv_add_threaded_tests_target)
