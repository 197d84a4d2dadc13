# qm_expose_headers(<target> <prefix>)
# Gives the target an include root of its own in the build tree that holds its headers, and only
# them, as "<prefix>/<name>.h" (links to the sources). Whatever links the target sees them; nothing
# else does. Subsystems include each other's headers by these prefixes only, so an include of a
# layer that the includer does not link (a view including the window, the core including a view)
# is not found and fails to build.
function(qm_expose_headers target prefix)
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${prefix})
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(header IN LISTS headers)
        get_filename_component(name ${header} NAME)
        file(CREATE_LINK ${header} ${root}/${prefix}/${name} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# qm_add_layer(<target> ALIAS <alias> PREFIX <prefix> [PUBLIC <targets...>] [PRIVATE <targets...>])
# One subsystem folder as a static library of the program, its sources being every .cpp, .h and .ui
# file of the folder (not of its subfolders).
function(qm_add_layer target)
    cmake_parse_arguments(ARG "" "ALIAS;PREFIX" "PUBLIC;PRIVATE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
    add_library(${target} STATIC ${sources})
    add_library(${ARG_ALIAS} ALIAS ${target})
    target_link_libraries(${target} PUBLIC ${ARG_PUBLIC} PRIVATE Quillmarsh::CompileSettings ${ARG_PRIVATE})
    qm_expose_headers(${target} ${ARG_PREFIX})
endfunction()
