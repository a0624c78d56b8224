# Installs the library into a scratch prefix and builds the C example the
# way an application would: with pkg-config and nothing else. Then runs it
# on the default virtual board.
#   cmake -DBUILD=<build dir> -DSOURCE=<source dir> -DWORK=<scratch dir> -P install-check.cmake
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed")
endif()
file(GLOB_RECURSE pcfile ${WORK}/prefix/*/ornsys.pc)
get_filename_component(pcdir "${pcfile}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pcdir})
execute_process(COMMAND pkg-config --cflags --libs ornsys OUTPUT_VARIABLE flags RESULT_VARIABLE rc
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know ornsys")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
execute_process(COMMAND cc -std=c99 -Wall -Wextra -Werror ${SOURCE}/examples/board-info.c ${flags}
                -o ${WORK}/board-info RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the C example does not build against the installed library")
endif()
string(REGEX REPLACE "^-L" "" libdir "${flags}")
list(FILTER flags INCLUDE REGEX "^-L")
string(REGEX REPLACE "^-L" "" libdir "${flags}")
set(ENV{LD_LIBRARY_PATH} ${libdir})
execute_process(COMMAND ${WORK}/board-info OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "ORN-EPC-3510 serial EPC3510-004217, 300 boots")
  message(FATAL_ERROR "the C example failed (${rc}):\n${out}")
endif()
message(STATUS "installed library serves a C application:\n${out}")
