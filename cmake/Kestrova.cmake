# Shared build helpers for every component.
include(GoogleTest)

set(KESTROVA_TEST_DIR ${CMAKE_BINARY_DIR}/tests)

# kestrova_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest binary per component. Test binaries live outside build/bin so
# that nothing in the program folder but real modules and resources is found,
# and carry build/bin in their RPATH so they load the real .so files.
function(kestrova_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${KESTROVA_TEST_DIR}
    BUILD_RPATH "${KESTROVA_BIN_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "KESTROVA_BIN=${KESTROVA_BIN_DIR};KESTROVA_SOURCE=${CMAKE_SOURCE_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# kestrova_bench(<name> SOURCES <files...> LIBS <targets...>)
function(kestrova_bench name)
  if(NOT KESTROVA_BENCH)
    return()
  endif()
  find_package(benchmark REQUIRED)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark Threads::Threads)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
    BUILD_RPATH "${KESTROVA_BIN_DIR}")
endfunction()

# kestrova_fuzz(<name> SOURCES <files...> LIBS <targets...>)
# With KESTROVA_FUZZ (clang) a libFuzzer binary; otherwise a plain driver that
# replays the seed corpus, so every fuzz entry point is still compiled and run
# by the ordinary test suite.
function(kestrova_fuzz name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS;CORPUS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz
    BUILD_RPATH "${KESTROVA_BIN_DIR}")
  if(KESTROVA_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME fuzz_replay.${name}
             COMMAND ${name} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  endif()
endfunction()

# kestrova_module_stamp(<target>)
# Every module carries a build stamp: an ELF note that kestrova-stamp fills
# with the link time, readable from the file without loading it
# (docs/BUILD_STAMP.md).
function(kestrova_module_stamp target)
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:kestrova-stamp-note>)
  add_dependencies(${target} kestrova-stamp)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND kestrova-stamp $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
