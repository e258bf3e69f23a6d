# Shared compile settings for every target of the project.
add_library(corvel_common INTERFACE)
target_compile_features(corvel_common INTERFACE cxx_std_20)
target_compile_definitions(corvel_common INTERFACE
    QT_DISABLE_DEPRECATED_UP_TO=0x060400)
target_compile_options(corvel_common INTERFACE -Wall -Wextra -Wpedantic)
if(CORVEL_WERROR)
    target_compile_options(corvel_common INTERFACE -Werror)
endif()
if(CORVEL_SANITIZE)
    target_compile_options(corvel_common INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(corvel_common INTERFACE -fsanitize=address,undefined)
endif()
if(CORVEL_FUZZ)
    target_compile_options(corvel_common INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(corvel_common INTERFACE -fsanitize=address,undefined)
endif()
if(MINGW)
    # Wide-character Win32 calls throughout, and no MinGW runtime DLLs to ship beside the programs.
    target_compile_definitions(corvel_common INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_link_options(corvel_common INTERFACE -static -static-libgcc -static-libstdc++)
    # Qt's static libraries switch the linker back to import libraries after odbc32; the compiler's
    # own libraries (libstdc++, winpthread) come last and must be taken statically all the same.
    string(APPEND CMAKE_CXX_STANDARD_LIBRARIES " -Wl,-Bstatic")
endif()
