# Cross build for 32-bit ARM Linux (Debian's arm-linux-gnueabihf toolchain and multiarch :armhf
# libraries). Test programs and build-time generators that are target executables run under
# qemu-arm with the armhf sysroot, so `ctest` runs the suite unchanged.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(triple arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_ASM_COMPILER ${triple}-gcc)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /usr/${triple})

# Multiarch: armhf headers and libraries live beside the build machine's own.
set(CMAKE_LIBRARY_ARCHITECTURE ${triple})
set(CMAKE_FIND_ROOT_PATH /usr/${triple} /usr/lib/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${triple}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# GCC notes that the passing of some std::vector iterators changed in GCC 7.1; nothing built here
# links against code built before that.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
