# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads flavour).
# Test executables run under Wine through cmake/wine_run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRB2ASC_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRB2ASC_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRB2ASC_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRB2ASC_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRB2ASC_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: no libstdc++, libgcc or winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh)
