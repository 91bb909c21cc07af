# quendra_add_test(NAME SOURCES src... LIBS lib... [ENV var=value...] [LABELS label...])
# Builds one test program and registers it with CTest. Every test runs offscreen, with a
# runtime folder of its own so that its sockets never meet those of a running host.
function(quendra_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
        QUENDRA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        QUENDRA_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    add_test(NAME ${name} COMMAND ${name})
    set(runtime ${CMAKE_BINARY_DIR}/test-runtime/${name})
    file(MAKE_DIRECTORY ${runtime})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUENDRA_RUNTIME_DIR=${runtime};XDG_CONFIG_HOME=${runtime}/config;${T_ENV}"
        TIMEOUT 300)
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
