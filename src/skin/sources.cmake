list(APPEND SIDECAR_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/skin_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_raster.cpp
)
list(APPEND SIDECAR_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/builtin_skin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_painter.cpp
)
