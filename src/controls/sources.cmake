list(APPEND SIDECAR_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/styled_static.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skinned_button.cpp
)
