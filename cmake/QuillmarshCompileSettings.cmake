# The INTERFACE target Quillmarsh::CompileSettings: the language level, warnings and Qt strictness
# every target of the project links (the main build and the fuzz build alike).
option(QUILLMARSH_WARNINGS_AS_ERRORS "Fail the build on any compiler warning (scripts/test turns it on)" OFF)

add_library(quillmarsh_compile_settings INTERFACE)
add_library(Quillmarsh::CompileSettings ALIAS quillmarsh_compile_settings)
target_compile_features(quillmarsh_compile_settings INTERFACE cxx_std_20)
target_compile_options(quillmarsh_compile_settings
    INTERFACE -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -pedantic)
if(QUILLMARSH_WARNINGS_AS_ERRORS)
    target_compile_options(quillmarsh_compile_settings INTERFACE -Werror)
endif()
target_compile_definitions(quillmarsh_compile_settings
    INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_NO_URL_CAST_FROM_STRING
              QT_USE_QSTRINGBUILDER QT_STRICT_ITERATORS QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
