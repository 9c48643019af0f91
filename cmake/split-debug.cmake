# Programs ship without their debugging information inside: a mingw executable keeps its DWARF sections
# in the image, and the loader reads every section of an image into memory at each start (its sections are
# not page-aligned in the file, so they cannot be mapped). For the panel that was about 9 MB read at every
# start for nothing. The information moves to "<program>.debug" beside the program, which the program
# names in a .gnu_debuglink section, so debuggers still find it.
function(sidecar_split_debug_info target)
    if(NOT MINGW OR NOT CMAKE_OBJCOPY)
        return()
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}>
                $<TARGET_FILE_NAME:${target}>.debug
        COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
                $<TARGET_FILE_NAME:${target}>
        WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
        VERBATIM)
endfunction()
