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
