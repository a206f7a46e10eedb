# Cross-compiling for Windows (i686), the shipped build.
set(VANDREL_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
