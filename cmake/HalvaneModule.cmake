# halvane_module(<target>) makes the headers listed in <target>'s sources
# visible, under their path in the source tree ("Halvane/Sessions/Session.h"),
# to the target itself and to the targets that link it, and to no one else.
# A file can then include only what its target's dependencies offer: the
# links in each CMakeLists.txt are the layering, and the compiler checks it.
function(halvane_module target)
    get_target_property(sources ${target} SOURCES)
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(type ${target} TYPE)
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    # Links to headers since removed or renamed must not linger.
    file(REMOVE_RECURSE ${root})
    foreach(source IN LISTS sources)
        if(NOT source MATCHES "\\.h$")
            continue()
        endif()
        get_filename_component(path ${source} ABSOLUTE BASE_DIR ${dir})
        file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${path})
        get_filename_component(parent ${root}/${relative} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${path} ${root}/${relative} SYMBOLIC)
    endforeach()
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
