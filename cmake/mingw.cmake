# Cross-compiling for Windows with Debian's mingw-w64. VEXA_WIN_ARCH is i686
# (the 32-bit target) or x86_64; the posix thread model gives std::thread.
set(CMAKE_SYSTEM_NAME Windows)
# The checks that CMake compiles read this file again: they must see the same target.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VEXA_WIN_ARCH VEXA_WIN_DEPS)
if(NOT VEXA_WIN_ARCH)
  set(VEXA_WIN_ARCH i686)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${VEXA_WIN_ARCH})
set(triplet ${VEXA_WIN_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet} ${VEXA_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Only Windows' own DLLs at run time. A 32-bit program may use the whole 4 GB
# address space that a 64-bit Windows gives it, not only the lower 2 GB: large
# configurations need it. The flag counts only on the program, but costs
# nothing on a DLL, and marks it as ready for such a process.
set(vexa_link_flags "-static")
if(VEXA_WIN_ARCH STREQUAL "i686")
  string(APPEND vexa_link_flags " -Wl,--large-address-aware")
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "${vexa_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${vexa_link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${vexa_link_flags}")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
