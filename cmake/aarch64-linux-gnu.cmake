# Cross build for 64-bit Arm Linux with Debian's GNU toolchain; test executables run
# under qemu-aarch64. This target fuses multiply and add unless told not to, which is
# why it is built at all.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(TRB2ASC_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${TRB2ASC_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${TRB2ASC_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${TRB2ASC_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static, so qemu-aarch64 needs no Arm sysroot to run the tests.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
