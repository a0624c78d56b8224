# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
#
# Builds the Debian packages of a build, unpacks them into a scratch root
# and uses them from there: the tool reaches for the board (and fails
# cleanly where there is none), the virtual board serves it only once its
# package is there and asked for, the manual pages render without
# warnings, a C application builds against the development package and
# runs; lintian, where it is installed, finds no error. With -DRUN=OFF (a
# build for another machine) only the packages and lintian are checked.
#   cmake -DBUILD=<build dir> -DSOURCE=<source dir> -DWORK=<scratch dir> [-DRUN=OFF] -P package-check.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(root ${WORK}/root)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

run("cpack" cpack -G DEB -B ${WORK} --config ${BUILD}/CPackConfig.cmake)
file(GLOB debs ${WORK}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 5)
  message(FATAL_ERROR "expected 5 packages, got: ${debs}")
endif()
set(board_debs)
foreach(name libornsys2 libornsys-dev ornsys libornsim1 ornsim-tools)
  if(NOT debs MATCHES "/${name}_[^/]*\\.deb")
    message(FATAL_ERROR "no package ${name} among ${debs}")
  endif()
  file(GLOB deb ${WORK}/${name}_*.deb)
  if(NOT name MATCHES "^(libornsim1|ornsim-tools)$")
    list(APPEND board_debs ${deb})
  endif()
endforeach()
foreach(deb ${board_debs})
  run("unpacking ${deb}" dpkg-deb -x ${deb} ${root})
endforeach()
execute_process(COMMAND find ${root} -name "libornsim*" OUTPUT_VARIABLE found)
if(NOT found STREQUAL "")
  message(FATAL_ERROR "the board's packages carry the virtual board:\n${found}")
endif()
# The library exports the API alone, needs no simulator and holds none of it.
file(GLOB_RECURSE library ${root}/*/libornsys.so.2)
run("nm of the library" nm -D --defined-only ${library})
string(REGEX REPLACE "[0-9a-f]+ [TW] Orn[A-Za-z0-9]*\n" "" others "${out}")
run("readelf of the library" readelf -d ${library})
if(NOT others STREQUAL "" OR out MATCHES "ornsim")
  message(FATAL_ERROR "the library exports more than the API, or needs the virtual board:\n${others}${out}")
endif()
run("symbols of the library" nm -C ${BUILD}/bin/libornsys.so.2)
if(out MATCHES "ornsim_impl|ornsim_board")
  message(FATAL_ERROR "the library holds the virtual board's code")
endif()

if(DEFINED RUN AND NOT RUN)
  set(skip_runs TRUE)
endif()

# What the tool does with no variable, and with the virtual backend asked
# for: the outcome, the exit status and the line that tells why.
function(check_tool what backend expect_rc expect_out)
  execute_process(COMMAND env -i ORNSYS_DEBUG=1 ${backend} ${root}/usr/bin/ornsys -TEMP -a
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expect_rc OR NOT "${out}${err}" MATCHES "${expect_out}")
    message(FATAL_ERROR "${what}: exit ${rc}, printed:\n${out}${err}")
  endif()
  message(STATUS "${what}: exit ${rc} as it should")
endfunction()

if(NOT skip_runs)
# The board: this machine has none (no /dev/mem, or no firmware), and the
# tool says so instead of inventing readings.
check_tool("the packaged tool, no variable" "" 255 "ORNSYS ERROR: DLL: starting Win32 driver failed.*board backend")
check_tool("the packaged tool, virtual board not installed" ORNSYS_BACKEND=virtual 255
           "virtual backend: loading the virtual board failed")
endif()
foreach(deb ${debs})
  run("unpacking ${deb}" dpkg-deb -x ${deb} ${root})
endforeach()
if(NOT skip_runs)
check_tool("the packaged tool, virtual board installed" ORNSYS_BACKEND=virtual 0 "T-Sensor 0x00: +45 ")
check_tool("the packaged tool, virtual board installed, no variable" "" 255 "board backend")
run("the packaged ornsim-trace" ${root}/usr/bin/ornsim-trace --help)

file(GLOB_RECURSE pages ${root}/usr/share/man/*.gz)
if(NOT pages)
  message(FATAL_ERROR "no manual pages in the packages")
endif()
foreach(page ${pages})
  # From the manual's root, as man finds the page a link page names.
  execute_process(COMMAND env MANWIDTH=80 man --warnings -l ${page} WORKING_DIRECTORY ${root}/usr/share/man
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "man ${page} failed (${rc}):\n${err}")
  endif()
  if(NOT err STREQUAL "")
    message(FATAL_ERROR "man ${page} warns:\n${err}")
  endif()
endforeach()

file(GLOB_RECURSE pcfile ${root}/*/ornsys.pc)
get_filename_component(pcdir "${pcfile}" DIRECTORY)
run("pkg-config" env PKG_CONFIG_PATH=${pcdir} pkg-config --cflags --libs ornsys)
separate_arguments(flags UNIX_COMMAND "${out}")
run("C build against the packages" cc -std=c99 -Wall -Werror ${SOURCE}/examples/board-info.c ${flags}
    -o ${WORK}/board-info)
get_filename_component(libdir "${pcdir}" DIRECTORY)
run("C application" env LD_LIBRARY_PATH=${libdir} ORNSYS_BACKEND=virtual ${WORK}/board-info)
if(NOT out MATCHES "ORN-EPC-3510 serial EPC3510-004217")
  message(FATAL_ERROR "the C application printed:\n${out}")
endif()

endif()

find_program(LINTIAN lintian)
if(LINTIAN)
  execute_process(COMMAND ${LINTIAN} --allow-root ${debs} OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(out MATCHES "(^|\n)E: ")
    message(FATAL_ERROR "lintian finds errors:\n${out}")
  endif()
  message(STATUS "lintian: no errors")
else()
  message(STATUS "lintian is not installed: the packages were not checked by it")
endif()
if(skip_runs)
  message(STATUS "5 packages built and unpacked")
else()
  message(STATUS "5 packages unpack and serve the tool, the manual and an application")
endif()
