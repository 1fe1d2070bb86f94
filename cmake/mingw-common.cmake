# The part of the two mingw-w64 toolchains they share; each sets TAVELIN_MINGW_TRIPLE (and the
# processor) first. The -posix compilers are used because the win32 thread model has no
# std::thread / std::mutex and GoogleTest does not build with it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TAVELIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVELIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVELIN_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${TAVELIN_MINGW_TRIPLE}-ar)
set(CMAKE_RANLIB ${TAVELIN_MINGW_TRIPLE}-ranlib)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVELIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
