# The Windows zip: the three programs with the DLLs and plugins they load, listed here (the Qt made
# by scripts/build-qt-mingw has no windeployqt), the user guide and a note on installing.
#   cmake --build build/windows/programs --target zip
set(QUENDRA_ZIP_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Where the Windows zip is written")
get_filename_component(qt_prefix ${Qt6_DIR}/../../.. ABSOLUTE)

# Qt's libraries and plugins, as the programs link and load them.
set(qt_files
    bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Network.dll bin/Qt6PrintSupport.dll
    plugins/platforms/qwindows.dll plugins/styles/qwindowsvistastyle.dll
    # The host's headless pictures and plots are laid out on the minimal platform.
    plugins/platforms/qminimal.dll
    plugins/imageformats/qgif.dll plugins/imageformats/qico.dll plugins/imageformats/qjpeg.dll)
# MinGW-w64's runtime, where the compiler keeps it.
set(runtime_files)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "zip: ${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    list(APPEND runtime_files ${path})
endforeach()
# Qt's own texts in Japanese (file dialogs, standard buttons), from the build machine's Qt: the
# translations do not depend on the platform.
find_file(QUENDRA_QTBASE_JA qtbase_ja.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)

set(zip_name Quendra_LT-${PROJECT_VERSION}-win64)
set(zip ${QUENDRA_ZIP_DIR}/${zip_name}.zip)
add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND}
            -D stage=${CMAKE_CURRENT_BINARY_DIR}/${zip_name}
            -D zip=${zip}
            -D "programs=$<TARGET_FILE:quendra>;$<TARGET_FILE:quendra-host>;$<TARGET_FILE:quendra-script>"
            -D qt_prefix=${qt_prefix}
            -D "qt_files=${qt_files}"
            -D "runtime_files=${runtime_files}"
            -D translations=${QUENDRA_QTBASE_JA}
            -D "texts=${CMAKE_SOURCE_DIR}/readme.txt;${CMAKE_CURRENT_SOURCE_DIR}/windows/install-ja.txt"
            -D qt_conf=${CMAKE_CURRENT_SOURCE_DIR}/windows/qt.conf
            -D strip=${CMAKE_STRIP}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/windows/stage.cmake
    DEPENDS quendra quendra-host quendra-script ${CMAKE_SOURCE_DIR}/readme.txt
            windows/install-ja.txt windows/qt.conf windows/stage.cmake
    COMMENT "Making ${zip_name}.zip" VERBATIM)
add_custom_target(zip ALL DEPENDS ${zip})
