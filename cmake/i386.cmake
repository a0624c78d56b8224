# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
# Builds 32-bit x86 binaries on an x86-64 machine (gcc-multilib and
# g++-multilib). Tests run under qemu-i386 where the processor cannot run
# them itself.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
find_program(ORNSYS_QEMU_I386 qemu-i386)
if(ORNSYS_QEMU_I386)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORNSYS_QEMU_I386})
endif()
# pkg-config looks among the i386 libraries alone (libfuse3-dev:i386 for
# ornsys-devices), never at the build machine's own.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)
