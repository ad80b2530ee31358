# The same sources for 64-bit Windows. Used to run the Windows tests on hosts
# whose kernel refuses 32-bit programs (Wine's 32-bit loader cannot start there).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZT_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${ZT_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZT_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZT_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZT_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
