# quendra-host: replay speed, memory per entity, redraw time, opening and rendering a large DXF.
if(TARGET quendra_cad_view)
    add_executable(bench_host ${CMAKE_CURRENT_LIST_DIR}/host_bench.cpp)
    target_include_directories(bench_host PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(bench_host PRIVATE quendra_cad quendra_cad_dxf quendra_cad_view Qt6::Gui)
    set_target_properties(bench_host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
if(TARGET bench_host)
    # The session as the host opens and saves files; the plan's maker beside the sources.
    target_link_libraries(bench_host PRIVATE quendra_host_core)
    target_compile_definitions(bench_host PRIVATE QUENDRA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
