#!/usr/bin/env bash
# Rebuilds the small PE images the version reader is tested on, with the mingw-w64 binutils
# (Debian: binutils-mingw-w64-i686 and binutils-mingw-w64-x86-64) and the C preprocessor:
#   pe32-1.0.0.0.exe, pe32-10.2.0.65535.exe, pe32plus-1.0.0.0.exe, pe32plus-10.2.0.65535.exe
#   pe32-no-resources.exe       no resource directory at all
#   pe32plus-no-version.exe     resources, but none of the version type
# The 10.2.0.65535 images also carry a named resource, a string table and a textual
# "FileVersion" of 9.9.9.9, which the reader must look past.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf '.text\n.globl start\nstart:\n    ret\n' >"$work/start.s"

version_rc() { # <commas>
    cat <<RC
1 VERSIONINFO
FILEVERSION $1
PRODUCTVERSION $1
BEGIN
END
RC
}

busy_rc() { # <commas>
    cat <<RC
ALPHA RCDATA { "alpha" }
STRINGTABLE { 1, "one" }
1 VERSIONINFO
FILEVERSION $1
PRODUCTVERSION $1
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "FileVersion", "9.9.9.9"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
RC
}

no_version_rc() {
    printf 'ALPHA RCDATA { "alpha" }\nSTRINGTABLE { 1, "one" }\n'
}

image() { # <i686|x86_64> <output> [rc text]
    local arch=$1 out=$2 rc=${3:-}
    local tools="$arch-w64-mingw32"
    local objects=("$work/start-$arch.o")
    "$tools-as" "$work/start.s" -o "$work/start-$arch.o"
    if [ -n "$rc" ]; then
        printf '%s\n' "$rc" >"$work/$out.rc"
        "$tools-windres" --preprocessor=cpp "$work/$out.rc" -O coff -o "$work/$out.o"
        objects+=("$work/$out.o")
    fi
    "$tools-ld" -s --no-insert-timestamp -e start "${objects[@]}" -o "$here/$out"
    chmod -x "$here/$out"
}

image i686 pe32-1.0.0.0.exe "$(version_rc 1,0,0,0)"
image i686 pe32-10.2.0.65535.exe "$(busy_rc 10,2,0,65535)"
image x86_64 pe32plus-1.0.0.0.exe "$(version_rc 1,0,0,0)"
image x86_64 pe32plus-10.2.0.65535.exe "$(busy_rc 10,2,0,65535)"
image i686 pe32-no-resources.exe
image x86_64 pe32plus-no-version.exe "$(no_version_rc)"
