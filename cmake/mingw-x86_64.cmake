# Cross-compiling for Windows (x86_64), the build the Windows tests run from.
set(VANDREL_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
