# Cross build for 32-bit ARM hard-float Linux (Debian's arm-linux-gnueabihf toolchain).
#
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armhf.cmake \
#         -DKIVO_ASSETGEN=/path/to/native/kivo-assetgen
#
# The armhf libraries come either from Debian multiarch (dpkg --add-architecture armhf, packages
# "name:armhf" in /usr/lib/arm-linux-gnueabihf), or, with -DKIVO_ARMHF_SYSROOT=/dir, from armhf
# packages unpacked into a private root directory. Tests run under qemu-arm-static.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)

# try_compile projects see these too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KIVO_ARMHF_SYSROOT KIVO_QEMU_LD_PREFIX)

set(KIVO_ARMHF_SYSROOT "" CACHE PATH "Unpacked armhf root directory (empty: Debian multiarch)")
set(triple_libdir usr/lib/arm-linux-gnueabihf)
if(KIVO_ARMHF_SYSROOT)
  set(CMAKE_SYSROOT ${KIVO_ARMHF_SYSROOT})
  set(CMAKE_FIND_ROOT_PATH ${KIVO_ARMHF_SYSROOT})
  set(ENV{PKG_CONFIG_SYSROOT_DIR} ${KIVO_ARMHF_SYSROOT})
  set(ENV{PKG_CONFIG_LIBDIR}
    "${KIVO_ARMHF_SYSROOT}/${triple_libdir}/pkgconfig:${KIVO_ARMHF_SYSROOT}/usr/share/pkgconfig")
  set(default_ld_prefix ${KIVO_ARMHF_SYSROOT})
else()
  # The cross libc lives in /usr/arm-linux-gnueabihf, the multiarch packages below / itself.
  set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf /)
  set(ENV{PKG_CONFIG_LIBDIR} "/${triple_libdir}/pkgconfig:/usr/share/pkgconfig")
  unset(ENV{PKG_CONFIG_SYSROOT_DIR})
  unset(ENV{PKG_CONFIG_PATH})
  # With libc6:armhf installed its own loader is used; otherwise the cross toolchain's.
  if(EXISTS /lib/ld-linux-armhf.so.3)
    set(default_ld_prefix /)
  else()
    set(default_ld_prefix /usr/arm-linux-gnueabihf)
  endif()
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs (and gtest_discover_tests) run through qemu; -L is where the ARM dynamic loader
# and the libraries it opens are looked up first.
set(KIVO_QEMU_LD_PREFIX ${default_ld_prefix} CACHE PATH "qemu-arm-static -L directory")
find_program(KIVO_QEMU_ARM qemu-arm-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KIVO_QEMU_ARM} -L ${KIVO_QEMU_LD_PREFIX})
