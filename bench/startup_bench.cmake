# Start-up: watches the display through xcb; the yardstick is a bare Qt Widgets program, built
# outside the bench_* names so that scripts/bench does not run it as a benchmark of its own.
if(TARGET bench_startup)
    if(QUENDRA_PURE_ONLY)
        set_target_properties(bench_startup PROPERTIES EXCLUDE_FROM_ALL ON)
    else()
        add_executable(startup_bare_qt bench_startup/bare_qt.cpp)
        target_link_libraries(startup_bare_qt PRIVATE Qt6::Widgets)
        set_target_properties(startup_bare_qt PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
        target_sources(bench_startup PRIVATE bench_startup/WindowWatch.cpp)
        target_include_directories(bench_startup PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(bench_startup PRIVATE xcb)
        target_compile_definitions(bench_startup PRIVATE QUENDRA_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
                                                         QUENDRA_BARE_QT="$<TARGET_FILE:startup_bare_qt>")
        add_dependencies(bench_startup startup_bare_qt quendra)
    endif()
endif()
