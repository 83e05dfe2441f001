# Shared helpers for the test, benchmark and fuzz folders.
find_package(GTest REQUIRED)
include(GoogleTest)

# hb_test(<name> SOURCES <files...> LIBS <libs...> [PROPERTIES <ctest properties...>])
# Builds one GoogleTest binary and registers its cases with CTest, with any
# further test properties given (a RESOURCE_LOCK, a TIMEOUT). A test program
# that aborts or crashes prints the stack where it happened.
# Tests find their committed data through HB_TEST_DATA_DIR.
function(hb_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/common/fatal_signal.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  # Names of the program's own functions in the stack a crash prints.
  set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)
  target_compile_definitions(${name} PRIVATE
    HB_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "LC_ALL=C" ${T_PROPERTIES})
endfunction()

# Test properties of every test that starts a JACK server: they hold the
# "jack" lock, since the machine allows only a few servers at once, and one
# that hangs in the server fails in time.
set(HB_JACK_TEST_PROPERTIES RESOURCE_LOCK jack TIMEOUT 120)

# hb_bench(<name> SOURCES <files...> LIBS <libs...>)
function(hb_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# hb_fuzz(<name> SOURCES <files...> LIBS <libs...> CORPUS <dir>)
# The target defines LLVMFuzzerTestOneInput. With HB_FUZZ (clang) it becomes a
# libFuzzer binary; otherwise it is linked with a replay driver and CTest runs
# it over the committed seed corpus, so every test build (sanitizers included)
# replays the corpus.
function(hb_fuzz name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(HB_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
  endif()
  add_test(NAME fuzz_replay.${name} COMMAND ${name} ${F_CORPUS})
  set_tests_properties(fuzz_replay.${name} PROPERTIES ENVIRONMENT "LC_ALL=C")
endfunction()

# Adds every immediate subfolder of the current folder that has a CMakeLists.txt.
macro(hb_add_subfolders)
  file(GLOB _hb_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _hb_children)
  foreach(_hb_child ${_hb_children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_hb_child}/CMakeLists.txt)
      add_subdirectory(${_hb_child})
    endif()
  endforeach()
endmacro()
