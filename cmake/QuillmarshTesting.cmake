# The environment of every suite: the offscreen platform and, in the sanitizer build, the leak
# suppressions for faults that lie wholly in system libraries.
function(qm_test_environment out)
    set(environment QT_QPA_PLATFORM=offscreen)
    if(QUILLMARSH_SANITIZE)
        list(APPEND environment "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
    endif()
    set(${out} "${environment}" PARENT_SCOPE)
endfunction()

# qm_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One Qt Test executable per suite, registered with ctest on the offscreen platform.
function(qm_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Quillmarsh::CompileSettings Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    qm_test_environment(environment)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 300)
endfunction()

# qm_add_db_test(<name> SOURCES <files...> LIBS <targets...>)
# A suite that depends on the database engine: registered twice, once on a temporary SQLite
# file and once on the PostgreSQL data source that scripts/test sets up (QM_TEST_ODBC_DSN).
# The suite reads QM_TEST_ENGINE ("sqlite" or "odbc") through tests/support/testdatabase.h.
function(qm_add_db_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Quillmarsh::CompileSettings Qt6::Test ${ARG_LIBS})
    qm_test_environment(environment)
    foreach(engine sqlite odbc)
        add_test(NAME ${name}_${engine} COMMAND ${name})
        set_tests_properties(${name}_${engine} PROPERTIES
            ENVIRONMENT "${environment};QM_TEST_ENGINE=${engine}" TIMEOUT 600)
    endforeach()
    # The suites share one PostgreSQL database and empty it as they start: one at a time.
    set_tests_properties(${name}_odbc PROPERTIES RESOURCE_LOCK quillmarsh_odbc_database)
endfunction()
