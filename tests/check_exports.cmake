# cmake -DMODULE=<file> -P check_exports.cmake
# Fails unless MODULE exports exactly mexFunction and needs libmx and libmex.
find_program(NM NAMES llvm-nm nm REQUIRED)
find_program(READELF NAMES readelf llvm-readelf REQUIRED)
execute_process(COMMAND "${NM}" -D --defined-only "${MODULE}"
  OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(functions "")
foreach(line IN LISTS lines)
  # Functions only: version definitions and data are not entry points.
  if(line MATCHES " [TtWi] ([^ ]+)$")
    list(APPEND functions "${CMAKE_MATCH_1}")
  endif()
endforeach()
if(NOT functions STREQUAL "mexFunction")
  message(FATAL_ERROR "exported functions are '${functions}', not mexFunction")
endif()
execute_process(COMMAND "${READELF}" -d "${MODULE}"
  OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
foreach(lib libmx libmex)
  if(NOT dynamic MATCHES "NEEDED[^\n]*\\[${lib}\\.so")
    message(FATAL_ERROR "${MODULE} does not need ${lib}")
  endif()
endforeach()
message(STATUS "${MODULE}: exports mexFunction only; needs libmx and libmex")
