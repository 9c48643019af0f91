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
        # objcopy stamps each image header with SOURCE_DATE_EPOCH, else the clock; zero, as the linker
        # leaves it, keeps the program (and the checksum of its debugging file that it names) the same
        # bytes whenever and from whatever commit it is built.
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
                ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}>
                $<TARGET_FILE_NAME:${target}>.debug
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
                ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
                $<TARGET_FILE_NAME:${target}>
        WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
        VERBATIM)
endfunction()
