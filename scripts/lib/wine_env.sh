# Wine and Xvfb set-up for the end-to-end tests and the try-it command; source it, do not run it.
#
#   vv_runs_arch ARCH           whether this machine runs Windows programs of ARCH (i686 or x86_64)
#                               under Wine; when not, VV_ARCH_WHY says why, in a few words
#   vv_pick_arch                VV_ARCH: VORIVEVO_WINE_ARCH when set, else i686 when it runs, else x86_64
#   vv_skip_line ARCH           the one line that says ARCH's tests were not run, and why
#   vv_exe_arch FILE            the architecture a Windows .exe is built for (i686 or x86_64)
#   vv_wine_prefix [ARCH]       export WINEPREFIX & co. (code page 1252) for a Wine server of this
#                               script's own, of ARCH (default VV_ARCH or the pick); the shared prefix
#                               behind it is created once per architecture. Sets VV_WINE, the Wine loader
#                               to start programs with: "$VV_WINE" prog.exe. Returns 77 when ARCH cannot
#                               run here (after saying why), 1 on other failures. With
#                               VORIVEVO_WINE_VERSION set (a version name that winecfg takes, e.g.
#                               winxp), the prefix reports that version of Windows
#   vv_start_xvfb               make sure DISPLAY names a usable X server, starting a private Xvfb if not
#   vv_track_pid PID            have vv_cleanup end PID
#   vv_cleanup                  end every tracked process by its id, then this script's Wine server
#                               and X server (runs on EXIT)
#   vv_wait_for_log ERE FILE S  wait up to S seconds (decimals allowed) for a line matching ERE
#   vv_winpath PATH             the Windows name (Z:\...) of an absolute Unix path
#   vv_alive PID                whether PID still runs (a zombie does not)
#   vv_wineserver_pid           the process id of this script's Wine server
#
# Why a Wine server of our own: all programs of one Wine server share one desktop, so FindWindow
# in one test finds another test's windows; a companion under test elsewhere would press our
# dialogs and post into our room. Each script therefore runs in a prefix of its own that shares
# the cached prefix's drive_c (symbolic link) and copies its small registry files; that takes
# milliseconds and starts a separate server. VORIVEVO_SHARED_WINESERVER=1 uses the cached prefix
# itself instead, and then its server is ended only when no other program uses it.
#
# Two architectures. i686 programs run in a 32-bit prefix through the 32-bit loader; x86_64 programs
# in a 64-bit prefix through the 64-bit loader. Wine 8.0 has no new-style WoW64: a 64-bit prefix runs
# 32-bit programs only by starting the 32-bit loader, so on a kernel without 32-bit support (booted
# with ia32 emulation off: every i386 program fails with "Exec format error") only x86_64 runs, and
# the programs a test starts must all be x86_64. /usr/bin/wine picks the 32-bit loader whenever
# wine32 is installed, so the loaders are called by their own paths, with WINELOADER naming the same
# one for the programs Wine starts itself; /usr/bin/wineserver runs the 64-bit server, which serves
# both. scripts/dev/without-32bit.sh runs a command as if on such a kernel.
#
# Another Windows version (VORIVEVO_WINE_VERSION): the cached prefix reports the version Wine gives a new
# prefix, and must stay as it is, since every test shares it. A prefix that reports another version sits
# beside it ("wine32-winxp"), made once: copies of its registry files, told the version by winecfg, and its
# drive_c shared through a link, as the run prefixes share it. Wine calls XP in a 64-bit prefix winxp64,
# and that is what winxp asks for there.
#
# Sourcing registers vv_cleanup on EXIT (and turns INT/TERM into an exit so it runs then too). A
# script with an EXIT trap of its own should call vv_cleanup from it.

# Sourced once per shell: a second time would forget the processes tracked so far.
[[ -n "${_VV_WINE_ENV_SOURCED:-}" ]] && return 0
_VV_WINE_ENV_SOURCED=1

VV_TRACKED_PIDS=()
VV_XVFB_PID=
VV_XVFB_DIR=
VV_RUN_PREFIX=
VV_ARCH=
VV_ARCH_WHY=
VV_WINE=

vv_log() {
  printf '%s\n' "vorivevo: $*" >&2
}

# The locale decides Wine's ANSI code page. Any UTF-8 locale that resolves to English gives 1252
# and lets UTF-8 arguments through intact; a locale that is named but not installed (en_US.UTF-8 on
# a machine with only C.UTF-8) makes Wine mangle non-ASCII arguments, so take one that exists.
_vv_pick_locale() {
  local available
  available=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z')
  if grep -qx 'en_us.utf8' <<<"$available"; then
    echo en_US.UTF-8
  else
    echo C.UTF-8
  fi
}

_VV_WINE32_LOADER=/usr/lib/wine/wine
_VV_WINE64_LOADER=/usr/lib/wine/wine64
source "$(dirname "${BASH_SOURCE[0]}")/i386_probe.sh"

vv_runs_arch() {
  VV_ARCH_WHY=
  case $1 in
    i686)
      vv_runs_i386 || return 1
      [[ -x "$_VV_WINE32_LOADER" ]] || { VV_ARCH_WHY="32-bit Wine is not installed (wine32:i386)"; return 1; }
      ;;
    x86_64)
      [[ -x "$_VV_WINE64_LOADER" ]] || { VV_ARCH_WHY="64-bit Wine is not installed (wine64)"; return 1; }
      ;;
    *)
      VV_ARCH_WHY="unknown architecture '$1' (i686 or x86_64)"
      return 1
      ;;
  esac
}

vv_pick_arch() {
  if [[ -n "${VORIVEVO_WINE_ARCH:-}" ]]; then
    VV_ARCH=$VORIVEVO_WINE_ARCH
  elif vv_runs_arch i686; then
    VV_ARCH=i686
  else
    VV_ARCH=x86_64
  fi
}

vv_skip_line() {
  vv_runs_arch "$1" && return 1
  printf '%s tests not run: %s\n' "$1" "$VV_ARCH_WHY"
}

# The machine field of the PE header (at the offset that the DOS header's last field gives).
vv_exe_arch() {
  local offset machine
  offset=$(od -An -j60 -N4 -tu4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [[ -n "$offset" ]] || return 1
  machine=$(od -An -j$((offset + 4)) -N2 -tx2 "$1" 2>/dev/null | tr -d ' ')
  case $machine in
    014c) echo i686 ;;
    8664) echo x86_64 ;;
    *) return 1 ;;
  esac
}

# Creates the cached prefix once; the lock keeps two tests that start together from both doing it.
_vv_create_prefix() {
  local prefix=$1
  [[ -f "$prefix/system.reg" ]] && return 0
  mkdir -p "$(dirname "$prefix")" || return 1
  vv_log "creating the $WINEARCH Wine prefix $prefix (once, 5 to 15 s)"
  (
    flock 9 || exit 1
    [[ -f "$prefix/system.reg" ]] && exit 0
    WINEPREFIX="$prefix" "$VV_WINE" wineboot -i >/dev/null 2>&1 && WINEPREFIX="$prefix" wineserver -w
  ) 9>"$prefix.lock"
  if [[ ! -f "$prefix/system.reg" ]]; then
    vv_log "could not create the Wine prefix $prefix"
    return 1
  fi
}

# The prefix that reports VERSION, made from BASE once (under a lock, as BASE is). Made again when BASE
# has been made again since: its registry files belong to BASE's drive_c.
_vv_create_version_prefix() {
  local base=$1 prefix=$2 version=$3
  _vv_version_prefix_current "$base" "$prefix" && return 0
  vv_log "making the Wine prefix $prefix, which reports Windows as $version (once, a few seconds)"
  (
    flock 9 || exit 1
    _vv_version_prefix_current "$base" "$prefix" && exit 0
    rm -rf "$prefix.new" "$prefix" && mkdir -p "$prefix.new" || exit 1
    cp -a "$base/dosdevices" "$base"/*.reg "$base/.update-timestamp" "$prefix.new/" &&
      ln -s "$base/drive_c" "$prefix.new/drive_c" || exit 1
    WINEPREFIX="$prefix.new" "$VV_WINE" winecfg /v "$version" >/dev/null 2>&1 &&
      WINEPREFIX="$prefix.new" wineserver -w || exit 1
    # winecfg /v with no version names the one the prefix reports.
    [[ "$(WINEPREFIX="$prefix.new" "$VV_WINE" winecfg /v 2>/dev/null | tr -d '\r')" == "$version" ]] || exit 1
    WINEPREFIX="$prefix.new" wineserver -w
    mv "$prefix.new" "$prefix"
  ) 9>"$prefix.lock"
  if ! _vv_version_prefix_current "$base" "$prefix"; then
    vv_log "could not make a Wine prefix that reports Windows as $version in $prefix"
    return 1
  fi
}

_vv_version_prefix_current() {
  [[ -f "$2/system.reg" && -e "$2/drive_c" ]] && cmp -s "$1/.update-timestamp" "$2/.update-timestamp" &&
    [[ ! "$1/.update-timestamp" -nt "$2/system.reg" ]]
}

vv_wine_prefix() {
  local arch=${1:-${VV_ARCH:-}}
  if [[ -z "$arch" ]]; then
    vv_pick_arch
    arch=$VV_ARCH
  fi
  if ! vv_runs_arch "$arch"; then
    vv_log "$(vv_skip_line "$arch")"
    return 77
  fi
  VV_ARCH=$arch
  local base
  if [[ "$arch" == i686 ]]; then
    base=${VORIVEVO_WINEPREFIX:-$HOME/.cache/vorivevo/wine32}
    export WINEARCH=win32 WINELOADER=$_VV_WINE32_LOADER
  else
    base=${VORIVEVO_WINEPREFIX64:-$HOME/.cache/vorivevo/wine64}
    export WINEARCH=win64 WINELOADER=$_VV_WINE64_LOADER
  fi
  VV_WINE=$WINELOADER
  export WINEDEBUG=-all
  # No menu entries or file associations written into $HOME, no Mono or Gecko install prompts.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
  local lang
  lang=$(_vv_pick_locale)
  export LANG="$lang" LC_ALL="$lang"
  _vv_create_prefix "$base" || return 1
  if [[ -n "${VORIVEVO_WINE_VERSION:-}" ]]; then
    local version=$VORIVEVO_WINE_VERSION
    [[ "$arch" == x86_64 && "$version" == winxp ]] && version=winxp64
    if [[ ! "$version" =~ ^[a-z0-9]+$ ]]; then
      vv_log "VORIVEVO_WINE_VERSION: '$version' is not a version name that winecfg takes (e.g. winxp)"
      return 1
    fi
    _vv_create_version_prefix "$base" "$base-$version" "$version" || return 1
    base=$base-$version
  fi
  if [[ "${VORIVEVO_SHARED_WINESERVER:-}" == 1 ]]; then
    export WINEPREFIX="$base"
    return 0
  fi
  if [[ -z "$VV_RUN_PREFIX" ]]; then
    _vv_sweep_stale_prefixes
    VV_RUN_PREFIX=$(mktemp -d "${TMPDIR:-/tmp}/vorivevo-wine.XXXXXX") || return 1
    # .update-timestamp matters: without it Wine would rebuild the shared drive_c on first use.
    cp -a "$base/dosdevices" "$base"/*.reg "$base/.update-timestamp" "$VV_RUN_PREFIX/" &&
      ln -s "$base/drive_c" "$VV_RUN_PREFIX/drive_c" || {
      vv_log "could not lay out a Wine prefix in $VV_RUN_PREFIX"
      return 1
    }
  fi
  export WINEPREFIX="$VV_RUN_PREFIX"
}

_vv_display_works() {
  [[ -n "${DISPLAY:-}" ]] && xdotool getdisplaygeometry >/dev/null 2>&1
}

vv_start_xvfb() {
  if _vv_display_works; then
    return 0
  fi
  VV_XVFB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vorivevo-xvfb.XXXXXX") || return 1
  local number_file="$VV_XVFB_DIR/display"
  # -displayfd: Xvfb picks a free display number itself and writes it, in one write, once it
  # accepts clients; so there is neither a race for the number nor a guess at when it is ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >"$VV_XVFB_DIR/xvfb.log" 2>&1 &
  local pid=$!
  VV_XVFB_PID=$pid
  local deadline=$((SECONDS + 10))
  while [[ ! -s "$number_file" ]]; do
    if ! vv_alive "$pid" || ((SECONDS >= deadline)); then
      vv_log "Xvfb did not start: $(tail -3 "$VV_XVFB_DIR/xvfb.log" 2>/dev/null)"
      return 1
    fi
    sleep 0.05
  done
  export DISPLAY=":$(tr -dc '0-9' <"$number_file")"
}

vv_track_pid() {
  VV_TRACKED_PIDS+=("$1")
}

vv_alive() {
  local stat state
  stat=$({ cat "/proc/$1/stat"; } 2>/dev/null) || return 1
  state=${stat##*) }  # after the command name, which may itself hold spaces and parentheses
  state=${state%% *}
  [[ -n "$state" && "$state" != Z && "$state" != X ]]
}

# Ends one process: politely, then for sure; reaps it when it is our child. Safe under set -e.
_vv_end_pid() {
  local pid=$1 i
  if vv_alive "$pid"; then
    kill -TERM "$pid" 2>/dev/null || true
    for ((i = 0; i < 20; i++)); do
      vv_alive "$pid" || break
      sleep 0.05
    done
    if vv_alive "$pid"; then
      kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  wait "$pid" 2>/dev/null || true
}

# The Wine server of $WINEPREFIX, found by the directory it runs in, which is named after the
# prefix's device and inode ("server-<dev>-<inode>", both in hex).
vv_wineserver_pid() {
  local dev ino suffix dir
  dev=$(stat -L -c %d "$WINEPREFIX" 2>/dev/null) || return 1
  ino=$(stat -L -c %i "$WINEPREFIX") || return 1
  suffix=$(printf 'server-%x-%x' "$dev" "$ino")
  for dir in /proc/[0-9]*; do
    [[ "$({ cat "$dir/comm"; } 2>/dev/null)" == wineserver* ]] || continue
    [[ "$(readlink "$dir/cwd" 2>/dev/null)" == */"$suffix" ]] || continue
    echo "${dir#/proc/}"
    return 0
  done
  return 1
}

# A script killed outright (a CTest time-out) runs no clean-up, and its run prefix stays in the temporary
# directory. One that is an hour old and has no Wine server any more belongs to nobody: a test that
# still runs has its server, and a person's long try-it too.
_vv_sweep_stale_prefixes() {
  local dir
  while IFS= read -r -d '' dir; do
    WINEPREFIX=$dir vv_wineserver_pid >/dev/null && continue
    rm -rf "$dir"
  done < <(find "${TMPDIR:-/tmp}" -maxdepth 1 -name 'vorivevo-wine.*' -type d -mmin +60 -print0 2>/dev/null)
}

# Whether a Windows program other than Wine's own services runs in $WINEPREFIX: another test's,
# or a person's. Then the shared server must be left alone.
_vv_prefix_in_use() {
  local dir exe name
  for dir in /proc/[0-9]*; do
    exe=$(readlink "$dir/exe" 2>/dev/null) || continue
    [[ "${exe##*/}" == wine* && "${exe##*/}" != wineserver* ]] || continue
    vv_alive "${dir#/proc/}" || continue
    { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    name=$({ tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null)
    case "$name" in
      *'\system32\services.exe'* | *'\system32\winedevice.exe'* | *'\system32\explorer.exe'* | \
        *'\system32\plugplay.exe'* | *'\system32\svchost.exe'* | *'\system32\rpcss.exe'* | \
        *'\system32\wineboot.exe'* | *'\system32\conhost.exe'* | *winemenubuilder*) ;;
      *) return 0 ;;
    esac
  done
  return 1
}

# Newest first, and the X server last, so that no Wine program loses its display while it runs.
vv_cleanup() {
  local i
  for ((i = ${#VV_TRACKED_PIDS[@]} - 1; i >= 0; i--)); do
    _vv_end_pid "${VV_TRACKED_PIDS[i]}"
  done
  VV_TRACKED_PIDS=()
  if [[ -n "${WINEPREFIX:-}" ]] && vv_wineserver_pid >/dev/null &&
    { [[ "$WINEPREFIX" == "$VV_RUN_PREFIX" ]] || ! _vv_prefix_in_use; }; then
    # -w: its programs are gone before the X server is, so none reports a lost display.
    wineserver -k 2>/dev/null && timeout 10 wineserver -w 2>/dev/null || true
  fi
  if [[ -n "$VV_RUN_PREFIX" ]]; then
    # Holds only copies and links: rm does not follow the link into the shared drive_c.
    rm -rf "$VV_RUN_PREFIX"
    VV_RUN_PREFIX=
  fi
  if [[ -n "$VV_XVFB_PID" ]]; then
    _vv_end_pid "$VV_XVFB_PID"
    VV_XVFB_PID=
  fi
  if [[ -n "$VV_XVFB_DIR" ]]; then
    rm -rf "$VV_XVFB_DIR"
    VV_XVFB_DIR=
  fi
}

vv_wait_for_log() {
  local pattern=$1 file=$2 timeout=$3
  # Microseconds, so that fractions of a second need no arithmetic beyond bash's integers.
  local deadline=$((${EPOCHREALTIME/[.,]/} + $(awk -v t="$timeout" 'BEGIN { printf "%d", t * 1000000 }')))
  while :; do
    if [[ -f "$file" ]] && grep -qE -- "$pattern" "$file"; then
      return 0
    fi
    if ((${EPOCHREALTIME/[.,]/} >= deadline)); then
      vv_log "no line matching '$pattern' in $file within $timeout s; its last lines:"
      tail -5 "$file" 2>/dev/null | sed 's/^/    /' >&2
      return 1
    fi
    sleep 0.02
  done
}

vv_winpath() {
  local path=$1
  [[ "$path" == /* ]] || path="$PWD/$path"
  printf 'Z:%s\n' "${path//\//\\}"
}

trap vv_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
