# Stamps an executable with a four-number file version the launcher can read without loading it:
# an ELF ".note.package" note (owner "FDO", type 0xcafe1a7e, a JSON object with "version") on
# Linux, a VERSIONINFO resource on Windows (cmake/WindowsResources.cmake). The JSON is padded with
# blanks to a fixed size so the stamper can rewrite the version of a copy in place.
set(CORVEL_NOTE_DESC_SIZE 128)

function(corvel_stamp_version target name version)
    string(REPLACE "." ";" numbers "${version}")
    list(LENGTH numbers count)
    while(count LESS 4)
        list(APPEND numbers 0)
        list(LENGTH numbers count)
    endwhile()
    list(JOIN numbers "." dotted)
    list(JOIN numbers "," commas)
    if(WIN32)
        corvel_windows_resources(${target} "${name}" "${dotted}" "${commas}")
        return()
    endif()
    set(json "{\"type\":\"exe\",\"name\":\"${name}\",\"version\":\"${dotted}\"}")
    string(LENGTH "${json}" len)
    math(EXPR pad "${CORVEL_NOTE_DESC_SIZE} - 1 - ${len}")
    if(pad LESS 0)
        message(FATAL_ERROR "version note for ${name} is too long")
    endif()
    string(REPEAT " " ${pad} blanks)
    string(HEX "${json}${blanks}" hex)
    string(REGEX REPLACE "(..)" "0x\\1," bytes "${hex}")
    set(src "${CMAKE_CURRENT_BINARY_DIR}/${target}_version_note.c")
    file(WRITE "${src}" "__asm__(\".pushsection .note.package,\\\"a\\\",@note\\n\"
        \".balign 4\\n.long 4\\n.long ${CORVEL_NOTE_DESC_SIZE}\\n.long 0xcafe1a7e\\n\"
        \".asciz \\\"FDO\\\"\\n.balign 4\\n\"
        \".byte ${bytes}0\\n.balign 4\\n.popsection\\n\");\n")
    target_sources(${target} PRIVATE "${src}")
endfunction()
