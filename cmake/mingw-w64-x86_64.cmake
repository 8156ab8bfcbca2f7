# Cross build of the Windows program with Debian's mingw-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained exe: no libstdc++, libgcc or winpthread DLL beside it.
set(QUORVANE_STATIC_RUNTIME_FLAGS "-static -static-libgcc -static-libstdc++")
# Hardening: ASLR with high-entropy addresses, NX compatibility.
set(QUORVANE_HARDENING_FLAGS "-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${QUORVANE_STATIC_RUNTIME_FLAGS} ${QUORVANE_HARDENING_FLAGS}")
# Release builds ship without symbols: the exe stays small.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
