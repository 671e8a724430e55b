# The release: the Octave package quorvane-<version>.tar.gz and one MATLAB
# archive per platform, quorvane-<version>-<platform>.zip, all in
# build/<preset>/dist/. What each holds is listed here, once; release.py only
# packs a staged folder, reproducibly.
find_program(PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT PYTHON3)
  find_program(PYTHON3 python3 REQUIRED)
endif()
set(DIST "${CMAKE_BINARY_DIR}/dist")
set(RELEASE_PY "${CMAKE_CURRENT_SOURCE_DIR}/release.py")
set(RELEASE_WORK "${CMAKE_CURRENT_BINARY_DIR}/release")
set(TOP "quorvane-${PROJECT_VERSION}")

# The NEWS and CITATION texts name the version too: they must name this one.
foreach(file NEWS CITATION)
  file(READ "${SRC}/${file}" text)
  string(FIND "${text}" "quorvane ${PROJECT_VERSION}" at_news)
  string(FIND "${text}" "version ${PROJECT_VERSION}" at_citation)
  if(at_news EQUAL -1 AND at_citation EQUAL -1)
    message(FATAL_ERROR "${file} does not name version ${PROJECT_VERSION}")
  endif()
endforeach()

# release_archive(<target> <file> <zip|tar.gz> <dest> <source>...): stages
# each source as <top folder>/<dest> and packs the folder into dist/<file>.
function(release_archive target file format)
  set(stage "${RELEASE_WORK}/${file}.stage")
  set(commands COMMAND "${CMAKE_COMMAND}" -E rm -rf "${stage}")
  set(depends)
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} dest)
    list(GET pairs ${j} source)
    get_filename_component(dir "${stage}/${TOP}/${dest}" DIRECTORY)
    list(APPEND commands
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${dir}"
      COMMAND "${CMAKE_COMMAND}" -E copy "${source}" "${stage}/${TOP}/${dest}")
    list(APPEND depends "${source}")
  endforeach()
  add_custom_command(OUTPUT "${DIST}/${file}"
    ${commands}
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${DIST}"
    COMMAND "${PYTHON3}" "${RELEASE_PY}" pack ${format} "${stage}"
            "${DIST}/${file}" "${QUORVANE_RELEASE_DATE}"
    DEPENDS ${depends} "${RELEASE_PY}"
    COMMENT "Packing ${file}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS "${DIST}/${file}")
endfunction()

# ---- Octave package ----------------------------------------------------------
configure_file(octave/DESCRIPTION.in "${RELEASE_WORK}/DESCRIPTION" @ONLY)
set(octave_files
  DESCRIPTION "${RELEASE_WORK}/DESCRIPTION"
  COPYING "${SRC}/LICENSE"
  INDEX "${CMAKE_CURRENT_SOURCE_DIR}/octave/INDEX"
  NEWS "${SRC}/NEWS"
  CITATION "${SRC}/CITATION"
  build_quorvane.m "${SRC}/build_quorvane.m"
  src/Makefile "${CMAKE_CURRENT_SOURCE_DIR}/octave/Makefile")
foreach(name quorvane boot demo_bootstrap)
  list(APPEND octave_files inst/${name}.m "${SRC}/octave/${name}.m")
endforeach()
file(GLOB package_sources RELATIVE "${SRC}"
     "${SRC}/host/*.h" "${SRC}/host/*.cpp" "${SRC}/quorvane/*.h" "${SRC}/quorvane/*.cpp"
     "${SRC}/boot/*.h" "${SRC}/boot/*.cpp")
foreach(source IN LISTS package_sources)
  list(APPEND octave_files src/${source} "${SRC}/${source}")
endforeach()
release_archive(release_octave "${TOP}.tar.gz" tar.gz ${octave_files})

# ---- MATLAB archives ---------------------------------------------------------
# MATLAB shows a .m file's first comment block as the help of the module
# beside it: the help files without their Octave test blocks.
set(matlab_help)
foreach(name quorvane boot)
  set(help "${RELEASE_WORK}/matlab/${name}.m")
  add_custom_command(OUTPUT "${help}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${RELEASE_WORK}/matlab"
    COMMAND "${PYTHON3}" "${RELEASE_PY}" matlab-help "${SRC}/octave/${name}.m"
            "${help}"
    DEPENDS "${SRC}/octave/${name}.m" "${RELEASE_PY}"
    VERBATIM)
  list(APPEND matlab_help "${help}")
endforeach()
# One target makes them, so that the archives do not race to.
add_custom_target(release_matlab_help DEPENDS ${matlab_help})

string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _ "${QUORVANE_RELEASE_DATE}")
set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
math(EXPR month_index "${CMAKE_MATCH_2} - 1")
list(GET month_names ${month_index} month_name)
set(CONTENTS_DATE "${CMAKE_MATCH_3}-${month_name}-${CMAKE_MATCH_1}")

# readme_line(<var> <file> <text>): one line of README.txt's list of files.
function(readme_line var file text)
  string(LENGTH "${file}" length)
  math(EXPR pad "21 - ${length}")
  string(REPEAT " " ${pad} spaces)
  set(${var} "${${var}}  ${file}${spaces}${text}\n" PARENT_SCOPE)
endfunction()

# matlab_archive(<platform> <text> <note> <extension> <module dir>
#                <functions>...)
function(matlab_archive platform text note ext dir)
  set(MATLAB_PLATFORM "${platform}")
  set(PLATFORM_TEXT "${text}")
  set(PLATFORM_NOTE "${note}")
  set(CONTENTS_FUNCTIONS "")
  set(README_FILES "")
  set(files)
  foreach(name IN LISTS ARGN)
    if(name STREQUAL "quorvane")
      set(line "Smoothed median of each column or row of a matrix.")
    else()
      set(line "Balanced bootstrap resamples.")
    endif()
    string(APPEND CONTENTS_FUNCTIONS "%   ${name} - ${line}\n")
    readme_line(README_FILES ${name}.${ext} "the compiled function ${name}")
    readme_line(README_FILES ${name}.m "its help text (help ${name})")
    list(APPEND files ${name}.${ext} "${dir}/${name}.${ext}"
                      ${name}.m "${RELEASE_WORK}/matlab/${name}.m")
  endforeach()
  set(out "${RELEASE_WORK}/matlab-${platform}")
  configure_file(matlab/Contents.m.in "${out}/Contents.m" @ONLY)
  configure_file(matlab/README.txt.in "${out}/README.txt" @ONLY)
  release_archive(release_${platform} "${TOP}-${platform}.zip" zip ${files}
    Contents.m "${out}/Contents.m"
    README.txt "${out}/README.txt"
    LICENSE "${SRC}/LICENSE")
  add_dependencies(release_${platform} release_matlab_help)
endfunction()

set(note_maca64 [[

  The modules are signed ad hoc, not by a registered developer. If macOS
  refuses to load a module that came through a web browser, clear the
  download mark in a terminal, in the folder:
       xattr -d com.apple.quarantine *.mexmaca64
]])
set(note_linux [[

  The modules need glibc 2.14 or later, as every Linux that MATLAB
  supports has.
]])
matlab_archive(maca64 "macOS 11 or later on Apple silicon" "${note_maca64}"
  mexmaca64 "${OUT}" quorvane boot)
matlab_archive(win32 "Windows, 32-bit MATLAB" "" mexw32 "${OUT}" quorvane)
matlab_archive(win64 "Windows, 64-bit MATLAB" "" mexw64 "${OUT}" quorvane boot)
matlab_archive(glnxa64 "Linux on x86-64" "${note_linux}" mexa64
  "${CMAKE_BINARY_DIR}" quorvane boot)
# The Linux modules are targets of another folder.
add_dependencies(release_glnxa64 quorvane boot)
