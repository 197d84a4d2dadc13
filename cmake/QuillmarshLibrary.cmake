include(GenerateExportHeader)

# qm_library_exports(<target>)
# Hidden default visibility for a library, and its export header <target>_export.h generated in
# the build tree: <TARGET>_EXPORT marks the public interface, <TARGET>_TESTS_EXPORT the internal
# classes and functions that tests, benchmarks and the test support reach (exported only while
# QUILLMARSH_BUILD_TESTS is on). A static library gets empty macros.
function(qm_library_exports target)
    string(TOUPPER ${target} prefix)
    if(QUILLMARSH_BUILD_TESTS)
        set(tests_export "#define ${prefix}_TESTS_EXPORT ${prefix}_EXPORT")
    else()
        set(tests_export "#define ${prefix}_TESTS_EXPORT ${prefix}_NO_EXPORT")
    endif()
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/export)
    generate_export_header(${target}
        EXPORT_FILE_NAME ${folder}/${target}_export.h
        CUSTOM_CONTENT_FROM_VARIABLE tests_export)
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${folder}>)
    set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()
