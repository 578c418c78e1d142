# Windows DLLs that only some of the program's work needs are loaded when
# that work is first done (the file dialog, a file's hash, the COM ports'
# device names, a library's version, COM), not before the first window: every
# DLL loaded at start-up delays it. MinGW comes with import libraries only;
# this makes a delay-import library of each (dlltool --output-delaylib) from
# the names its import library exports, once, when the build is configured.
#   tavro_delay_import_libraries(<out variable> <dll name>...)
function(tavro_delay_import_libraries out)
    find_program(TAVRO_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool dlltool REQUIRED)
    set(dir ${CMAKE_BINARY_DIR}/delay-imports)
    file(MAKE_DIRECTORY ${dir})
    set(libraries)
    foreach(dll IN LISTS ARGN)
        find_library(TAVRO_IMPORT_LIBRARY_${dll} NAMES ${dll} REQUIRED)
        set(library ${dir}/lib${dll}_delay.a)
        list(APPEND libraries ${library})
        if(EXISTS ${library} AND NOT TAVRO_IMPORT_LIBRARY_${dll} IS_NEWER_THAN ${library})
            continue()
        endif()
        execute_process(COMMAND ${CMAKE_NM} -g ${TAVRO_IMPORT_LIBRARY_${dll}}
                        OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
        # "__imp_Name" (x86_64) or "__imp__Name@8" (i686, whose C names
        # carry an underscore): the .def file names "Name" or "Name@8".
        string(REGEX MATCHALL " I __imp_[^\n]+" names "${symbols}")
        list(REMOVE_DUPLICATES names)
        set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
        foreach(name IN LISTS names)
            string(REGEX REPLACE "^ I __imp_" "" name "${name}")
            if(CMAKE_SIZEOF_VOID_P EQUAL 4)
                string(REGEX REPLACE "^_" "" name "${name}")
            endif()
            string(APPEND def "${name}\n")
        endforeach()
        file(WRITE ${dir}/${dll}.def "${def}")
        # --kill-at: the DLL exports "Name", the program calls "_Name@8".
        execute_process(COMMAND ${TAVRO_DLLTOOL} --kill-at --input-def ${dir}/${dll}.def
                                --output-delaylib ${library} --dllname ${dll}.dll
                        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    set(${out} ${libraries} PARENT_SCOPE)
endfunction()
