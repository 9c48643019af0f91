list(APPEND SIDECAR_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_map.cpp
)
list(APPEND SIDECAR_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/sidecar_app.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_workbook.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin_engine.cpp
)
