# Cross toolchain: 64-bit Windows.
set(SIDECAR_MINGW_PROCESSOR x86_64)
set(SIDECAR_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
