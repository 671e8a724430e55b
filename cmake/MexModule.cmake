# add_mex_module(<target> OUTPUT_NAME <name> [OUTPUT_DIRECTORY <dir>]
#                [DEFINITIONS <defs>...] SOURCES <src>... [LIBRARIES <lib>...])
#
# A loadable module <name>.mexa64 that exports only mexFunction and binds the
# host operations by name from libmx and libmex.
set(MEX_EXPORTS_MAP "${CMAKE_CURRENT_LIST_DIR}/mexFunction.map")

function(add_mex_module target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;OUTPUT_DIRECTORY"
                        "DEFINITIONS;SOURCES;LIBRARIES" ${ARGN})
  add_library(${target} MODULE ${ARG_SOURCES})
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
  endif()
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME "${ARG_OUTPUT_NAME}"
    PREFIX ""
    SUFFIX ".mexa64"
    LIBRARY_OUTPUT_DIRECTORY "${ARG_OUTPUT_DIRECTORY}"
    # The host process provides libmx and libmex; the module carries no
    # search path of its own.
    SKIP_BUILD_RPATH ON
    LINK_DEPENDS "${MEX_EXPORTS_MAP}")
  target_compile_definitions(${target} PRIVATE ${ARG_DEFINITIONS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} mexhost mx mex)
  target_link_options(${target} PRIVATE
    "LINKER:--version-script=${MEX_EXPORTS_MAP}")
  if(NOT MEX_SANITIZE)
    # Every symbol must resolve against the libraries named here. (The
    # sanitizer runtimes resolve against the executable, so not with them.)
    target_link_options(${target} PRIVATE "LINKER:-z,defs")
  endif()
endfunction()
