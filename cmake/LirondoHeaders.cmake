# lirondo_public_headers(TARGET [BASE dir])
#
# Gives a library its own include directory, so that a target sees the headers of the
# libraries it links and no others: including "reading/ReadingController.h" builds in a
# target that links `reading` and fails in one that does not.
#
# Every header among the target's sources gets a one-line forwarding header at
#   <build>/include/<TARGET>/<path of the header below BASE>
# (BASE defaults to <source>/src), which includes the real file by its absolute path,
# so diagnostics, moc and clang-tidy all see the file in the source tree. The
# forwarders are written at the end of configuring, when every target_sources() call
# has been seen, and only rewritten when their text changes; forwarders of headers
# that left the target are removed.
function(lirondo_public_headers target)
    cmake_parse_arguments(H "" "BASE" "" ${ARGN})
    if(NOT H_BASE)
        set(H_BASE ${CMAKE_SOURCE_DIR}/src)
    endif()
    set(dir ${CMAKE_BINARY_DIR}/include/${target})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${dir})
    else()
        target_include_directories(${target} PUBLIC ${dir})
    endif()
    cmake_language(EVAL CODE "
        cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]]
            CALL _lirondo_write_forwarders [[${target}]] [[${H_BASE}]] [[${dir}]])")
endfunction()

function(_lirondo_write_forwarders target base dir)
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    set(wanted "")
    foreach(src IN LISTS sources)
        if(NOT src MATCHES "\\.h$")
            continue()
        endif()
        cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${source_dir} NORMALIZE OUTPUT_VARIABLE real)
        cmake_path(IS_PREFIX base ${real} NORMALIZE inside)
        if(NOT inside)
            message(FATAL_ERROR "${target}: header ${real} is not below ${base}")
        endif()
        cmake_path(RELATIVE_PATH real BASE_DIRECTORY ${base} OUTPUT_VARIABLE rel)
        set(out ${dir}/${rel})
        list(APPEND wanted ${out})
        set(text "// Generated: the headers ${target} offers. Edit the real file.\n#include \"${real}\"\n")
        set(old "")
        if(EXISTS ${out})
            file(READ ${out} old)
        endif()
        if(NOT old STREQUAL text)
            file(WRITE ${out} "${text}")
        endif()
    endforeach()
    file(GLOB_RECURSE present LIST_DIRECTORIES false ${dir}/*)
    foreach(f IN LISTS present)
        if(NOT f IN_LIST wanted)
            file(REMOVE ${f})
        endif()
    endforeach()
endfunction()
