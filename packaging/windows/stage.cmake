# Lays out the Windows zip's folder and packs it (called by zip.cmake with -D values).
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage})
get_filename_component(top ${stage} NAME)

file(COPY ${programs} ${runtime_files} ${qt_conf} DESTINATION ${stage})
foreach(file ${qt_files})
    get_filename_component(folder ${file} DIRECTORY)
    string(REGEX REPLACE "^(bin|plugins)/?" "" folder "${folder}")
    file(COPY ${qt_prefix}/${file} DESTINATION ${stage}/${folder})
endforeach()
if(translations)
    file(COPY ${translations} DESTINATION ${stage}/translations)
endif()
# The compiler's runtime DLLs come with their symbols (libstdc++ is ten times its stripped size).
foreach(file ${runtime_files})
    get_filename_component(name ${file} NAME)
    execute_process(COMMAND ${strip} --strip-unneeded ${stage}/${name} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
# Texts with a byte order mark and CRLF line ends: Notepad of every Windows version then reads them
# as UTF-8 and breaks their lines.
foreach(text ${texts})
    get_filename_component(name ${text} NAME)
    file(READ ${text} content)
    string(REPLACE "\r\n" "\n" content "${content}")
    string(REPLACE "\n" "\r\n" content "${content}")
    string(ASCII 239 187 191 bom)
    file(WRITE ${stage}/${name} "${bom}${content}")
endforeach()

file(REMOVE ${zip})
get_filename_component(parent ${stage} DIRECTORY)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${top}
                WORKING_DIRECTORY ${parent} COMMAND_ERROR_IS_FATAL ANY)
