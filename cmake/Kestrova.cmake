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
    # `./dev.sh fuzz` builds these alone, not the whole instrumented tree.
    if(NOT TARGET kestrova-fuzzers)
      add_custom_target(kestrova-fuzzers)
    endif()
    add_dependencies(kestrova-fuzzers ${name})
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

# kestrova_resources(<module> <files...>)
# Copies resource files of a module into build/bin/resources/<module>/, where
# the module finds them at run time (docs/RESOURCES.md). The target
# <module>-resources is part of the default build.
function(kestrova_resources module)
  set(outputs)
  foreach(file ${ARGN})
    get_filename_component(name ${file} NAME)
    set(output ${KESTROVA_BIN_DIR}/resources/${module}/${name})
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTROVA_BIN_DIR}/resources/${module}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${output}
      DEPENDS ${file}
      VERBATIM)
    list(APPEND outputs ${output})
  endforeach()
  add_custom_target(${module}-resources ALL DEPENDS ${outputs})
endfunction()

# kestrova_plugin(<name> SOURCES <files...> LIBS <targets...>)
# A plug-in library: build/bin/<name>.so (no "lib" prefix, as the shell looks
# for it), linked with the kit and the core API, exporting PluginLoad and
# PluginUnload and nothing else (plugin_exports.map), stamped, and with its
# resources/<name>/strings.txt installed beside it when there is one. The test
# plugin_exports.<name> checks what the library exports.
function(kestrova_plugin name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_LIBS} kestrova-kit api)
  set_target_properties(${name} PROPERTIES PREFIX ""
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${KESTROVA_PLUGIN_EXPORTS})
  target_link_options(${name} PRIVATE "LINKER:--version-script=${KESTROVA_PLUGIN_EXPORTS}")
  kestrova_module_stamp(${name})
  add_test(NAME plugin_exports.${name}
           COMMAND ${CMAKE_COMMAND} -DMODULE=$<TARGET_FILE:${name}> -P ${KESTROVA_CMAKE_DIR}/check_plugin_exports.cmake)
  set(strings ${CMAKE_SOURCE_DIR}/resources/${name}/strings.txt)
  if(EXISTS ${strings})
    kestrova_resources(${name} ${strings})
    add_dependencies(${name} ${name}-resources)
  endif()
endfunction()
set(KESTROVA_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(KESTROVA_PLUGIN_EXPORTS ${KESTROVA_CMAKE_DIR}/plugin_exports.map)
