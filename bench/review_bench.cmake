# The review picture benchmark: the console's CDC_REVIEW_SHOW against its floor, memory over repeated shows.
add_executable(sidecar_review_bench ${CMAKE_CURRENT_LIST_DIR}/review_bench.cpp)
target_link_libraries(sidecar_review_bench PRIVATE sidecar_review sidecar_rc sidecar_core)
target_link_options(sidecar_review_bench PRIVATE -municode)
add_dependencies(sidecar_review_bench Sidecar)
