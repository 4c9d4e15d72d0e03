# Frame cost of the water surface: CPU-only strip building against Mesa.
if(RIPPLEMOOR_GL)
  add_executable(frame-bench ${CMAKE_CURRENT_LIST_DIR}/frame_bench.cpp)
  target_link_libraries(frame-bench PRIVATE ripplemoor_gl)
endif()
