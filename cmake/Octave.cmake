# GNU Octave MEX files from the same sources, bound to Octave's own mex.h.
# They go to build/octave/ in the source tree with their help files, the
# folder a user adds to Octave's path.
find_program(MKOCTFILE mkoctfile)
find_program(OCTAVE_CLI octave-cli)
if(NOT MKOCTFILE OR NOT OCTAVE_CLI)
  message(STATUS "Octave not found: the Octave modules are not built")
  return()
endif()

set(OCTAVE_OUT "${PROJECT_SOURCE_DIR}/build/octave")
set(OCTAVE_CXXFLAGS "-O2 -std=c++17 -Wall -Wextra -Werror -ffp-contract=off")

# add_octave_mex(<name> SOURCES <src>... DEPENDS <header>... INCLUDES <dir>...)
function(add_octave_mex name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;INCLUDES" ${ARGN})
  set(includes "-I${PROJECT_SOURCE_DIR}/host")
  foreach(dir IN LISTS ARG_INCLUDES)
    list(APPEND includes "-I${dir}")
  endforeach()
  set(mex "${OCTAVE_OUT}/${name}.mex")
  set(help "${PROJECT_SOURCE_DIR}/octave/${name}.m")
  add_custom_command(OUTPUT "${mex}" "${OCTAVE_OUT}/${name}.m"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${OCTAVE_OUT}"
    COMMAND "${CMAKE_COMMAND}" -E env "CXXFLAGS=${OCTAVE_CXXFLAGS}"
            "${MKOCTFILE}" --mex -DMEXHOST_OCTAVE ${includes} ${ARG_SOURCES}
            -o "${mex}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${help}" "${OCTAVE_OUT}/${name}.m"
    DEPENDS ${ARG_SOURCES} ${ARG_DEPENDS} "${help}"
            "${PROJECT_SOURCE_DIR}/host/mex_api.h"
            "${PROJECT_SOURCE_DIR}/host/convert.h"
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    COMMENT "Octave MEX file ${name}.mex"
    VERBATIM)
  add_custom_target(${name}_octave ALL DEPENDS "${mex}")
endfunction()

add_octave_mex(quorvane
  SOURCES "${PROJECT_SOURCE_DIR}/quorvane/quorvane.cpp"
          "${PROJECT_SOURCE_DIR}/quorvane/smoothed_median.cpp"
          "${PROJECT_SOURCE_DIR}/quorvane/pair_sums.cpp"
          "${PROJECT_SOURCE_DIR}/quorvane/pair_sums_sse2.cpp"
          "${PROJECT_SOURCE_DIR}/quorvane/pair_sums_avx2.cpp"
          "${PROJECT_SOURCE_DIR}/quorvane/pair_sums_neon.cpp"
  DEPENDS "${PROJECT_SOURCE_DIR}/quorvane/smoothed_median.h"
          "${PROJECT_SOURCE_DIR}/quorvane/pair_sums.h"
          "${PROJECT_SOURCE_DIR}/quorvane/pair_sums_kernel.h"
  INCLUDES "${PROJECT_SOURCE_DIR}/quorvane")
add_octave_mex(boot
  SOURCES "${PROJECT_SOURCE_DIR}/boot/boot.cpp"
  DEPENDS "${PROJECT_SOURCE_DIR}/boot/balanced_resampling.h"
          "${PROJECT_SOURCE_DIR}/boot/count_tree.h"
          "${PROJECT_SOURCE_DIR}/boot/random_source.h"
  INCLUDES "${PROJECT_SOURCE_DIR}/boot")

# The demo beside the modules, where the main job runs it.
add_custom_command(OUTPUT "${OCTAVE_OUT}/demo_bootstrap.m"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${OCTAVE_OUT}"
  COMMAND "${CMAKE_COMMAND}" -E copy
          "${PROJECT_SOURCE_DIR}/octave/demo_bootstrap.m" "${OCTAVE_OUT}/"
  DEPENDS "${PROJECT_SOURCE_DIR}/octave/demo_bootstrap.m"
  VERBATIM)
add_custom_target(demo_octave ALL DEPENDS "${OCTAVE_OUT}/demo_bootstrap.m")
add_dependencies(boot_octave demo_octave)

if(MEX_BUILD_TESTS)
  # The %! tests in the help files, run inside Octave.
  add_test(NAME octave_tests
    COMMAND "${OCTAVE_CLI}" --no-gui --no-init-file --no-history --quiet
            "${PROJECT_SOURCE_DIR}/octave/run_tests.m"
    WORKING_DIRECTORY "${OCTAVE_OUT}")
endif()
