# The resource ids (resource.h) are a layer of their own; the compiled resources (sidecar_rc) go into the
# program and the Win32 tests.
sidecar_layer(resources)

# The version block's numbers and label (VERSION, tools/version), written into the build tree.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)

if(WIN32)
    # windres finds the art and the manifest beside sidecar.rc by itself; the dependencies below make a
    # changed picture, manifest, id header or version rebuild the compiled resources.
    set(SIDECAR_RC ${CMAKE_CURRENT_LIST_DIR}/sidecar.rc)
    file(GLOB _sidecar_art CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/art/*)
    set_source_files_properties(${SIDECAR_RC} PROPERTIES OBJECT_DEPENDS
        "${CMAKE_CURRENT_LIST_DIR}/resource.h;${CMAKE_CURRENT_LIST_DIR}/sidecar.manifest;${_sidecar_art};\
${CMAKE_BINARY_DIR}/generated/version.h")
    unset(_sidecar_art)
    add_library(sidecar_rc OBJECT ${SIDECAR_RC})
    target_include_directories(sidecar_rc PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_BINARY_DIR}/generated)
endif()
