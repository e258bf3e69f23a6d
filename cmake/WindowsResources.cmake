# Windows resources of a program: its VERSIONINFO (the fixed version the launcher compares, and the
# strings Explorer and the installed-programs list show), a manifest (Windows 10 and 11, common
# controls 6, per-monitor DPI awareness, no elevation) and, for the programs a user starts, the
# program icon. One .rc a target: windres output of several would not merge into one resource
# directory.
set(CORVEL_PROGRAM_ICON ${PROJECT_BINARY_DIR}/resources/rendered/artwork/program.ico)
set(CORVEL_MANIFEST ${PROJECT_SOURCE_DIR}/resources/windows/corvel.manifest)
set(CORVEL_COPYRIGHT "Copyright (C) 2026 Corvel")

# What Explorer shows as each program's description, by the name its version is stamped with.
set(CORVEL_DESCRIPTION_CorvelLauncher "Corvel Launcher")
set(CORVEL_DESCRIPTION_Reinstaller "Corvel Launcher Reinstaller")
set(CORVEL_DESCRIPTION_CorvelModule "Corvel module stand-in for tests and the demo")
set(CORVEL_DESCRIPTION_corvel-stamp "Corvel version stamper")
set(CORVEL_DESCRIPTION_corvel-publish "Corvel release publisher")

function(corvel_windows_resources target name dotted commas)
    set(description "${CORVEL_DESCRIPTION_${name}}")
    if(description STREQUAL "")
        message(FATAL_ERROR "no description for ${name}: add CORVEL_DESCRIPTION_${name}")
    endif()
    get_target_property(gui ${target} WIN32_EXECUTABLE)
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.rc")
    set(text "#include <winver.h>\n")
    string(APPEND text "1 24 \"${CORVEL_MANIFEST}\"\n")
    if(gui)
        string(APPEND text "1 ICON \"${CORVEL_PROGRAM_ICON}\"\n")
    endif()
    string(APPEND text "1 VERSIONINFO\nFILEVERSION ${commas}\nPRODUCTVERSION ${commas}\n"
        "FILEFLAGSMASK 0x3fL\nFILEFLAGS 0x0L\nFILEOS VOS_NT_WINDOWS32\nFILETYPE VFT_APP\n"
        "FILESUBTYPE 0x0L\nBEGIN\n  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"040904b0\"\n"
        "    BEGIN\n      VALUE \"CompanyName\", \"Corvel\"\n"
        "      VALUE \"FileDescription\", \"${description}\"\n"
        "      VALUE \"FileVersion\", \"${dotted}\"\n"
        "      VALUE \"InternalName\", \"${name}\"\n"
        "      VALUE \"LegalCopyright\", \"${CORVEL_COPYRIGHT}\"\n"
        "      VALUE \"OriginalFilename\", \"$<TARGET_FILE_NAME:${target}>\"\n"
        "      VALUE \"ProductName\", \"Corvel Launcher\"\n"
        "      VALUE \"ProductVersion\", \"${PROJECT_VERSION}\"\n"
        "    END\n  END\n  BLOCK \"VarFileInfo\"\n  BEGIN\n"
        "    VALUE \"Translation\", 0x409, 1200\n  END\nEND\n")
    file(GENERATE OUTPUT "${rc}" CONTENT "${text}")
    target_sources(${target} PRIVATE "${rc}")
    set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${CORVEL_MANIFEST}")
    if(gui)
        set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS "${CORVEL_PROGRAM_ICON}")
        add_dependencies(${target} corvel_program_icon)
    endif()
endfunction()
