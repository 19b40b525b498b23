#!/usr/bin/env bash
# Runs a command as if this machine's kernel could not run 32-bit programs (as on kernels booted with
# ia32 emulation off), to try the 64-bit-only path of the scripts on a machine that runs both:
#
#   scripts/dev/without-32bit.sh scripts/test-all.sh
#
# Every process that makes a 32-bit system call is killed (a seccomp filter, inherited by everything
# the command starts), so i386 programs and the 32-bit Wine loader die at their first call, where such
# a kernel would refuse to start them ("Exec format error"). Needs a C compiler.
set -euo pipefail
(($# > 0)) || { echo "usage: scripts/dev/without-32bit.sh COMMAND [ARG...]" >&2; exit 2; }
tool_dir=${XDG_CACHE_HOME:-$HOME/.cache}/vorivevo/dev
mkdir -p "$tool_dir"
source_file=$(dirname "${BASH_SOURCE[0]}")/without_32bit.c
if [[ ! -x "$tool_dir/without_32bit" || "$source_file" -nt "$tool_dir/without_32bit" ]]; then
  cc -O2 -o "$tool_dir/without_32bit" "$source_file"
fi
exec "$tool_dir/without_32bit" "$@"
