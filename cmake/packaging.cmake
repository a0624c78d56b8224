# Debian packages from any build (cpack -G DEB in the build folder):
#   libornsys2     the shared library
#   libornsys-dev  headers, static library, pkg-config and CMake files, man(3)
#   ornsys         the ornsys and ornsim-ctl tools, man(1) and man(5), bash completion
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lib dev tool)
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
# The tool links the library of its sister package, found in the build.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

if(ORNSYS_FIRMWARE STREQUAL "bios32")
  set(_access "It reaches the board firmware's ZOKA service through the BIOS32 Service\nDirectory over /dev/mem; it needs root or CAP_SYS_RAWIO.")
else()
  set(_access "This build talks to a VIRTUAL BOARD, a simulated firmware in the library\nitself (ORNSIM_BOARD, ORNSIM_TRACE, ORNSIM_STATE), not to a real board's\nfirmware: for development and tests without a board.")
endif()
set(_about "Board services for x86 embedded PCs: board and CPU identity, the board\nconfiguration block, non-volatile memories, I2C buses, the watchdog,\nbacklight and contrast, temperature and voltage sensors, system and\nbattery state, and direct port I/O.\n${_access}")

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libornsys2)
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/deb/triggers)
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
set(CPACK_COMPONENT_TOOL_DESCRIPTION "board services for x86 embedded PCs - test and demo tool\n${_about}\n.\nThis package holds ornsys, which exercises every facility from the\ncommand line, and ornsim-ctl, which steers the virtual board.")

# Each package carries the copyright and the changelog Debian asks for.
configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/changelog ${CMAKE_BINARY_DIR}/deb/changelog.Debian @ONLY)
execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/deb/changelog.Debian)
foreach(component lib dev tool)
  string(TOUPPER ${component} upper)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/deb/copyright ${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()
include(CPack)
