# Start-up, settings, texts and the skin engine's wrapper: the top layer.
sidecar_layer(app USES panel resources review skin ui
    CORE command_line.cpp text_map.cpp
    WIN32 sidecar_app.cpp host_window.cpp text_workbook.cpp skin_engine.cpp)

# The database layer is delay-loaded: it loads on the first call, when a text workbook is read, so a start
# without a workbook never pays for it.
if(MINGW)
    # A delay-load import library made from the calls the workbook reader makes. Its calls go through the
    # library's own stubs, which a delay-load library needs (calls made through the import slot directly,
    # as the automation helpers' headers declare theirs, would leave the slots without their loader stubs).
    # The list names the 32-bit exports with their stdcall decorations ("SQLFetch@4", which -k keeps out of
    # the imported names); x64 has one calling convention and undecorated names, so its list is the same
    # one with the decorations taken off.
    set(SIDECAR_ODBC_DEF ${CMAKE_CURRENT_LIST_DIR}/odbc32.def)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        file(READ ${SIDECAR_ODBC_DEF} odbc_def)
        string(REGEX REPLACE "@[0-9]+" "" odbc_def "${odbc_def}")
        set(SIDECAR_ODBC_DEF ${CMAKE_CURRENT_BINARY_DIR}/odbc32_x64.def)
        file(CONFIGURE OUTPUT ${SIDECAR_ODBC_DEF} CONTENT "${odbc_def}" @ONLY)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS app/odbc32.def)
    endif()
    set(SIDECAR_ODBC_DELAY_LIB ${CMAKE_CURRENT_BINARY_DIR}/libodbc32_delay.a)
    # dlltool names the library's symbols after its output path: a relative one keeps this machine's
    # folders out of the program.
    add_custom_command(OUTPUT ${SIDECAR_ODBC_DELAY_LIB}
                       COMMAND ${CMAKE_DLLTOOL} --input-def ${SIDECAR_ODBC_DEF}
                               --output-delaylib libodbc32_delay.a -k
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                       DEPENDS ${SIDECAR_ODBC_DEF}
                       COMMENT "Delay-load import library for odbc32")
    add_custom_target(sidecar_delay_imports DEPENDS ${SIDECAR_ODBC_DELAY_LIB})
    add_dependencies(sidecar_app sidecar_delay_imports)
    target_link_libraries(sidecar_app PUBLIC ${SIDECAR_ODBC_DELAY_LIB} delayimp)
elseif(MSVC)
    target_link_libraries(sidecar_app PUBLIC odbc32 delayimp)
    target_link_options(sidecar_app INTERFACE /DELAYLOAD:ODBC32.dll)
elseif(WIN32)
    target_link_libraries(sidecar_app PUBLIC odbc32)
endif()
