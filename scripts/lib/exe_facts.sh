# What a Windows .exe asks of the machine, read from the file without running it. Source it.
#
#   exe_dlls FILE               the DLLs its import table names, sorted, on one line
#   exe_dlls_are_system DLL...  whether every one is a DLL that every Windows has (since Vista)
#   exe_imports FILE            every function its import table names, "DLL FUNCTION" a line; one
#                               imported by ordinal reads "DLL #ORDINAL"
#   exe_header_version FILE KIND  the version of Windows its PE header asks for, MAJOR.MINOR; KIND is
#                               OSystem (the system) or Subsystem (the Win32 subsystem)

# The import table as the loader reads it: the DLLs the .exe needs beside it. objdump from binutils
# reads both PE flavours.
exe_dlls() {
  objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -f | paste -sd ' '
}

exe_dlls_are_system() {
  local dll
  for dll in "$@"; do
    case "${dll,,}" in
      kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | advapi32.dll | shell32.dll | comctl32.dll | \
        ole32.dll | oleaut32.dll | oleacc.dll | uxtheme.dll) ;;
      *) return 1 ;;
    esac
  done
}

# objdump lists each DLL's functions under its "DLL Name:" line, each line starting with a tab, as
# "VMA  HINT  NAME", and a function imported by ordinal as "VMA  ORDINAL  <none>"; the lines of the
# import directory between them start with a space.
exe_imports() {
  objdump -p "$1" | awk '
    /^The Import Tables/ { inImports = 1; next }
    /^[A-Z]/ { inImports = 0 }
    !inImports { next }
    /DLL Name:/ { dll = $3; next }
    dll != "" && /^\t[0-9a-fA-F]+\t/ && $2 ~ /^[0-9]+$/ && NF >= 3 {
      print dll, ($3 == "<none>" ? "#" $2 : $3)
    }'
}

exe_header_version() {
  objdump -p "$1" | awk -v kind="$2" '
    $1 == "Major" kind "Version" { major = $2 }
    $1 == "Minor" kind "Version" { minor = $2 }
    END { if (major != "" && minor != "") print major "." minor }'
}
