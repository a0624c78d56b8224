# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
#
# Debian packages from any build (cpack -G DEB in the build folder):
#   libornsys2     the shared library, which reaches the board's firmware
#   libornsys-dev  headers, static library, pkg-config and CMake files, man(3)
#   ornsys         the ornsys tool, man(1), bash completion
#   libornsim1     the virtual board's library (with its default board), for
#                  development machines: used only with ORNSYS_BACKEND=virtual
#   ornsim-tools   ornsim-ctl and ornsim-trace, man(1), man(5) and man(7)
#   python3-ornsys the Python package, ornsys-exporter with its unit and user
#                  (architecture all)
#   ornsys-devices the board's watchdog as a Linux watchdog device (where
#                  libfuse3 is found)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lib dev tool sim simtools python)
if(ORNSYS_DEVICES_BUILT)
  list(APPEND CPACK_COMPONENTS_ALL devices)
endif()
set(CPACK_PACKAGE_NAME ornsys)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ornsys developers <ornsys@example.org>")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_STRIP_FILES ON)
set(_deb_version ${PROJECT_VERSION}-1)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
if(CMAKE_CROSSCOMPILING OR CMAKE_SIZEOF_VOID_P EQUAL 4)
  # A 32-bit build made on a 64-bit machine: its packages are i386, and the
  # machine's package database cannot tell their library dependencies.
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
else()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
# The tools link the libraries of their sister packages, found in the build.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# The shlibs files are written here, and ldconfig runs from the trigger
# alone: cpack would add it to maintainer scripts of its own, which these
# take the place of.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
file(WRITE ${CMAKE_BINARY_DIR}/deb/lib/shlibs "libornsys 2 libornsys2 (>= ${PROJECT_VERSION})\n")
file(WRITE ${CMAKE_BINARY_DIR}/deb/sim/shlibs "libornsim 1 libornsim1 (>= ${PROJECT_VERSION})\n")
foreach(component lib sim)
  file(COPY ${CMAKE_CURRENT_LIST_DIR}/deb/triggers ${CMAKE_CURRENT_LIST_DIR}/deb/postinst
       ${CMAKE_CURRENT_LIST_DIR}/deb/postrm DESTINATION ${CMAKE_BINARY_DIR}/deb/${component})
endforeach()

set(_access "It reaches the board firmware's ZOKA service through the BIOS32 Service\nDirectory over /dev/mem, and needs root. With ORNSYS_BACKEND=virtual and\nthe package libornsim1 it uses a virtual board instead.")
set(_about "Board services for x86 embedded PCs: board and CPU identity, the board\nconfiguration block, non-volatile memories, I2C buses, the watchdog,\nbacklight and contrast, temperature and voltage sensors, system and\nbattery state, and direct port I/O.\n${_access}")

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libornsys2)
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/deb/lib/triggers;${CMAKE_BINARY_DIR}/deb/lib/shlibs;${CMAKE_BINARY_DIR}/deb/lib/postinst;${CMAKE_BINARY_DIR}/deb/lib/postrm")
set(CPACK_COMPONENT_LIB_DESCRIPTION "board services library for x86 embedded PCs\n${_about}")
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libornsys-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libornsys2 (= ${_deb_version})")
set(CPACK_COMPONENT_DEV_DESCRIPTION "board services library for x86 embedded PCs - development files\n${_about}\n.\nThis package holds the headers, the static library, the pkg-config and\nCMake package files and the manual pages of the API.")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME ornsys)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "libornsys2 (= ${_deb_version})")
if(CPACK_DEBIAN_PACKAGE_DEPENDS)
  string(APPEND CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS ", ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
endif()
# A package's accounts and units are set up and taken down by its own
# scripts, as Debian's helpers would: made from deb/enabled-unit for a
# package whose unit is enabled on install.
function(ornsys_unit_scripts package unit stop_units sysusers groups restart out)
  set(DEB_UNIT ${unit})
  set(DEB_RESTART_ON_UPGRADE ${restart})
  set(DEB_STOP_UNITS ${stop_units})
  set(DEB_SYSUSERS ${sysusers})
  set(DEB_GROUPS ${groups})
  set(scripts)
  foreach(script postinst prerm postrm)
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/deb/enabled-unit/${script}.in
                   ${CMAKE_BINARY_DIR}/deb/${package}/${script} @ONLY)
    list(APPEND scripts ${CMAKE_BINARY_DIR}/deb/${package}/${script})
  endforeach()
  set(${out} "${scripts}" PARENT_SCOPE)
endfunction()
ornsys_unit_scripts(ornsys ornsysd.socket "ornsysd.socket ornsysd.service" ornsys.conf
                    "ornsys ornsys-watchdog ornsys-admin" yes _tool_scripts)
foreach(script postinst prerm postrm)
  list(APPEND _python_scripts ${CMAKE_CURRENT_LIST_DIR}/deb/python3-ornsys/${script})
endforeach()
set(CPACK_DEBIAN_TOOL_PACKAGE_CONTROL_EXTRA "${_tool_scripts}")
set(CPACK_DEBIAN_TOOL_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_TOOL_DESCRIPTION "board services for x86 embedded PCs - test and demo tool\n${_about}\n.\nThis package holds ornsys, which exercises every facility from the\ncommand line.")

set(_sim "The virtual board is a simulated ZOKA firmware for development and tests\nwithout a board: board files describe it, faults can be injected, every\ncall can be traced, and a state file keeps its memories. The library uses\nit only when ORNSYS_BACKEND=virtual asks for it.")
set(CPACK_DEBIAN_SIM_PACKAGE_NAME libornsim1)
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_SIM_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/deb/sim/triggers;${CMAKE_BINARY_DIR}/deb/sim/shlibs;${CMAKE_BINARY_DIR}/deb/sim/postinst;${CMAKE_BINARY_DIR}/deb/sim/postrm")
set(CPACK_DEBIAN_SIM_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_SIM_PACKAGE_ENHANCES "libornsys2")
set(CPACK_COMPONENT_SIM_DESCRIPTION "virtual board for the ornsys board services library\n${_sim}\n.\nThis package holds the virtual board's library and its default board.")

set(CPACK_DEBIAN_SIMTOOLS_PACKAGE_NAME ornsim-tools)
set(CPACK_DEBIAN_SIMTOOLS_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_SIMTOOLS_PACKAGE_DEPENDS "libornsim1 (= ${_deb_version}), libornsys2 (= ${_deb_version})")
if(CPACK_DEBIAN_PACKAGE_DEPENDS)
  string(APPEND CPACK_DEBIAN_SIMTOOLS_PACKAGE_DEPENDS ", ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
endif()
set(CPACK_COMPONENT_SIMTOOLS_DESCRIPTION "virtual board for the ornsys board services library - tools\n${_sim}\n.\nThis package holds ornsim-ctl, which steers a running virtual board,\nornsim-trace, which reads its trace, ornsim-record, which records a real\nboard as a board file (its twin), and the manual of board files.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-ornsys)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= 3.11), python3-prometheus-client, libornsys2 (>= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "ornsys")
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA "${_python_scripts}")
set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "board services for x86 embedded PCs - Python 3 package and exporter\n${_about}\n.\nThis package holds the Python 3 package ornsys and ornsys-exporter, which\nserves the board's metrics to Prometheus through the board service; its\nsystemd unit is installed but not enabled, since it listens on the network.")

set(CPACK_DEBIAN_DEVICES_PACKAGE_NAME ornsys-devices)
set(CPACK_DEBIAN_DEVICES_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_DEVICES_PACKAGE_DEPENDS "libornsys2 (= ${_deb_version}), ornsys (= ${_deb_version})")
# Restarting the watchdog's daemon would take the device from under its
# opener (systemd keeps its file descriptor): the board would reset.
ornsys_unit_scripts(ornsys-devices ornsys-devices.service ornsys-devices.service "" "" no _devices_scripts)
set(CPACK_DEBIAN_DEVICES_PACKAGE_CONTROL_EXTRA "${_devices_scripts}")
set(CPACK_DEBIAN_DEVICES_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_DEVICES_DESCRIPTION "board services for x86 embedded PCs - the board's watchdog as a Linux device\n${_about}\n.\nThis package holds ornsys-devices, which offers the board's watchdog as a\nLinux watchdog device (CUSE) for systemd's RuntimeWatchdogSec= and any\nwatchdog keeper, through the board service.")

# Each package carries the copyright and the changelog Debian asks for.
configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/changelog ${CMAKE_BINARY_DIR}/deb/changelog.Debian @ONLY)
execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/deb/changelog.Debian)
foreach(component ${CPACK_COMPONENTS_ALL})
  string(TOUPPER ${component} upper)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/deb/copyright ${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()
include(CPack)
