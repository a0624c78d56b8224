# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
# Installs ornsys into a scratch prefix and uses it as applications would:
# the installed tool with no environment at all, then a C and a C++
# application built each way a consumer can (pkg-config shared and static,
# the CMake package, add_subdirectory of the source tree), each run on the
# default virtual board.
#   cmake -DBUILD=<build dir> -DSOURCE=<source dir> -DWORK=<scratch dir> -P install-check.cmake
file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)

function(run what)  # runs the command after `what`; stops the check on failure
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# The C application names the board, the C++ one arms and disarms the watchdog.
function(check_apps how c cpp)
  run("${how}: C application" ${ARGN} ${c})
  if(NOT out MATCHES "ORN-EPC-3510 serial EPC3510-004217, 300 boots")
    message(FATAL_ERROR "${how}: the C application printed:\n${out}")
  endif()
  run("${how}: C++ application" ${ARGN} ${cpp} --count 2 --period 1)
  if(NOT out MATCHES "watchdog disarmed after 2 triggers")
    message(FATAL_ERROR "${how}: the C++ application printed:\n${out}")
  endif()
  message(STATUS "${how}: C and C++ applications run")
endfunction()

run("install" ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

# The tool finds its library from any prefix, with no environment.
run("the installed tool" env -i ORNSYS_BACKEND=virtual ${prefix}/bin/ornsys -INFO -b)
if(NOT out MATCHES "ORN-EPC-3510")
  message(FATAL_ERROR "the installed tool printed:\n${out}")
endif()
message(STATUS "installed tool runs with no environment")

# pkg-config: shared (run with the library's folder on the search path, as
# for any prefix outside the system's) and fully static.
file(GLOB_RECURSE pcfile ${prefix}/*/ornsys.pc)
get_filename_component(pcdir "${pcfile}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pcdir})
foreach(mode shared static)
  set(static_flag "")
  if(mode STREQUAL "static")
    set(static_flag --static)
  endif()
  run("pkg-config ${mode}" pkg-config ${static_flag} --cflags --libs ornsys)
  separate_arguments(flags UNIX_COMMAND "${out}")
  set(link "")
  if(mode STREQUAL "static")
    set(link -static)
  endif()
  run("pkg-config ${mode}: C build" cc -std=c99 -Wall -Wextra -Werror ${link} ${SOURCE}/examples/board-info.c
      ${flags} -o ${WORK}/c-${mode})
  run("pkg-config ${mode}: C++ build" c++ -std=c++17 -Wall -Wextra -Werror ${link}
      ${SOURCE}/examples/watchdog-keeper.cpp ${flags} -o ${WORK}/cpp-${mode})
  get_filename_component(libdir "${pcdir}" DIRECTORY)
  check_apps("pkg-config ${mode}" ${WORK}/c-${mode} ${WORK}/cpp-${mode} env LD_LIBRARY_PATH=${libdir} ORNSYS_BACKEND=virtual)
endforeach()

# The static library keeps its inside to itself: an application may use the
# same global names.
run("same names: build" cc -std=c99 -static ${SOURCE}/tests/consumer/same-names.c ${flags} -o ${WORK}/same-names)
run("same names: run" env LD_LIBRARY_PATH=${libdir} ORNSYS_BACKEND=virtual ${WORK}/same-names)
if(NOT out MATCHES "ORN-EPC-3510 with mem_fd 7, bInit 42, inb 3")
  message(FATAL_ERROR "the application with the library's names printed:\n${out}")
endif()
message(STATUS "an application with the library's inner names links statically")

# The CMake package, then the source tree taken in with add_subdirectory.
foreach(how package subdirectory)
  set(options -DCMAKE_PREFIX_PATH=${prefix})
  if(how STREQUAL "subdirectory")
    set(options -DORNSYS_SOURCE=${SOURCE})
  endif()
  run("CMake ${how}: configure" ${CMAKE_COMMAND} -S ${SOURCE}/tests/consumer -B ${WORK}/${how} -G Ninja
      -DEXAMPLES=${SOURCE}/examples ${options})
  run("CMake ${how}: build" ${CMAKE_COMMAND} --build ${WORK}/${how})
  foreach(kind ornsys ornsys_static)
    # A static program finds the virtual board through the system search.
    check_apps("CMake ${how}, ${kind}" ${WORK}/${how}/c-${kind} ${WORK}/${how}/cpp-${kind} env ORNSYS_BACKEND=virtual
               LD_LIBRARY_PATH=${libdir})
  endforeach()
endforeach()
