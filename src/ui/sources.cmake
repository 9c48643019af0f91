list(APPEND SIDECAR_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/wnd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/redraw_batch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/enable_batch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/look.cpp
    ${CMAKE_CURRENT_LIST_DIR}/profile.cpp
)
