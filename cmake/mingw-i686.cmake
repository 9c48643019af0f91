# Cross toolchain: 32-bit Windows (the release program).
set(SIDECAR_MINGW_PROCESSOR i686)
set(SIDECAR_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
