# cmake -DMODULE=<file> -P check_plugin_exports.cmake
# Fails unless the module's dynamic symbol table defines exactly the
# loader's two entry points.
execute_process(COMMAND nm -D --defined-only ${MODULE} OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm could not read ${MODULE}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(exported)
foreach(line ${lines})
  string(REGEX REPLACE "^.* " "" name "${line}")
  list(APPEND exported ${name})
endforeach()
list(SORT exported)
if(NOT exported STREQUAL "PluginLoad;PluginUnload")
  message(FATAL_ERROR "${MODULE} exports ${exported}; a plug-in exports PluginLoad and PluginUnload only")
endif()
