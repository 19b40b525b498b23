# What a Windows .exe asks of the machine, read from the file without running it. Source it.
#
#   exe_dlls FILE               the DLLs its import table names, sorted, on one line
#   exe_dlls_are_system DLL...  whether every one is a DLL that every Windows has (since Vista)

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
