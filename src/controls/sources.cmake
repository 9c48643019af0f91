list(APPEND SIDECAR_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/styled_static.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skinned_button.cpp
)
list(APPEND SIDECAR_CORE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/dib_layout.cpp
)
list(APPEND SIDECAR_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/base_bitmap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layer_info.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layered_bitmap_ctrl.cpp
)
