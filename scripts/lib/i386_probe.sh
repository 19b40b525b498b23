# Whether this machine runs 32-bit (i386) Linux programs, and so the 32-bit Wine loader. Source it.
#
#   vv_runs_i386                true when it does; else VV_ARCH_WHY says why, in a few words

# A complete 32-bit Linux program of 96 bytes (ELF header, one program header, then: mov eax, 1;
# mov ebx, 42; int 0x80), which only exits with status 42. It needs no library, so it answers before
# any i386 package is installed, and it fails exactly where the 32-bit Wine loader would.
_vv_write_i386_probe() {
  printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
    '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
    '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
    '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00' \
    '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$1"
}

# Whether the kernel starts 32-bit programs: found by starting one, since the settings that decide it
# (the kernel's configuration, its boot line, a sandbox's system-call filter) are not all readable.
# A directory mounted without the right to run programs says nothing about that, so the probe tries the
# next place; where none lets it run, it says so rather than take it for a kernel without 32-bit support.
vv_runs_i386() {
  VV_ARCH_WHY=
  local place dir status error tried=()
  for place in "${XDG_CACHE_HOME:-$HOME/.cache}/vorivevo" "${TMPDIR:-/tmp}" /dev/shm; do
    mkdir -p "$place" 2>/dev/null && dir=$(mktemp -d "$place/vorivevo-i386.XXXXXX" 2>/dev/null) || continue
    _vv_write_i386_probe "$dir/probe" && chmod +x "$dir/probe"
    # The shell's own message when exec fails lands in the redirection too; and from a subshell, so
    # does its report of a probe that was killed.
    ("$dir/probe"; exit $?) 2>"$dir/error"
    status=$?
    error=$(tail -1 "$dir/error" 2>/dev/null)
    rm -rf "$dir"
    [[ "$error" == *"Permission denied"* ]] || break
    tried+=("$place")
    status=
  done
  if [[ -z "${status:-}" ]]; then
    VV_ARCH_WHY="could not tell: no directory here lets a program run (${tried[*]:-none writable})"
    return 1
  fi
  if ((status == 42)); then
    return 0
  elif [[ "$error" == *"Exec format error"* ]]; then
    VV_ARCH_WHY="this kernel cannot run 32-bit programs (ia32 emulation is off)"
  elif ((status > 128)); then
    VV_ARCH_WHY="32-bit programs do not run here (a 32-bit test program was killed by signal $((status - 128)))"
  else
    VV_ARCH_WHY="32-bit programs do not run here (a 32-bit test program ended with status $status${error:+: $error})"
  fi
  return 1
}
