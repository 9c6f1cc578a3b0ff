# Wine (sourced by harness.sh): the environment of the prefix, its loader
# and a wine server of the harness's own. scripts/wine-run sets the prefix up.
#   harness_wine_prefix PREFIX ARCH  the Wine environment and the prefix
#   harness_wine PROGRAM ARGS...     a program of the prefix ($HARNESS_WINE is the loader)
#   harness_winpath PATH             the Windows form of a unix path
#   harness_pe_machine FILE, harness_check_arch SCR

# harness_wine_prefix PREFIX ARCH: exports the Wine environment for PREFIX;
# scripts/wine-run makes the prefix once (under its lock and marker).
harness_wine_prefix() {
  local prefix=$1 arch=${2:-win32}
  [ -n "$prefix" ] || { harness_note "no wine prefix given"; return 2; }
  prefix=$(readlink -m "$prefix")
  export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  _harness_pick_loader
  "$HARNESS_SOURCE_DIR/scripts/wine-run" --prefix "$prefix" --arch "$arch" --init
}

# The loader for the prefix's programs. A 64-bit program that is not an .exe
# (the .scr) would go through start.exe under the plain "wine" launcher, a
# second process; wine64 runs it as the very process we start. It also needs
# no 32-bit loader, which some kernels cannot start.
#
# Wine processes run without address-space randomisation: with it, a 64-bit
# start now and then fails ("failed to map the shared user data").
_harness_pick_loader() {
  local w
  HARNESS_WINE=wine
  HARNESS_NORAND=()
  if setarch "$(uname -m)" -R true 2>/dev/null; then HARNESS_NORAND=(setarch "$(uname -m)" -R); fi
  [ "${WINEARCH:-}" = win64 ] || return 0
  for w in "$(command -v wine64 2>/dev/null)" /usr/lib/wine/wine64 /usr/lib64/wine/wine64 /opt/wine-stable/bin/wine64; do
    if [ -n "$w" ] && [ -x "$w" ]; then HARNESS_WINE=$w; return 0; fi
  done
}

# harness_wine PROGRAM ARGS...: a program of the prefix, run by its loader.
harness_wine() { "${HARNESS_NORAND[@]}" "$HARNESS_WINE" "$@"; }

# A persistent wineserver of our own keeps Wine's services up between runs
# (faster starts) and gives one pid to end at the stop. When another server
# already serves the prefix it is left alone and used.
_harness_start_wineserver() {
  wineserver -f -p >"$HARNESS_TMP/wineserver.txt" 2>&1 </dev/null &
  HARNESS_SERVER_PID=$!
  _harness_track "$HARNESS_SERVER_PID"
  sleep 0.3
  if ! harness_alive "$HARNESS_SERVER_PID"; then
    wait "$HARNESS_SERVER_PID" 2>/dev/null || true
    HARNESS_SERVER_PID=
  fi
  # Bring up Wine's own services now, with no pipe of ours inherited.
  harness_wine reg query 'HKCU\Software' >/dev/null 2>&1 </dev/null || true
}

# Windows form of a unix path, for values the saver reads (Z: is the root).
harness_winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# harness_pe_machine FILE: the machine a Windows executable is built for
# (i386, x86_64, or the COFF machine number in hex).
harness_pe_machine() {
  local pe machine
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$pe" ] || return 1
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case "$machine" in 014c) echo i386 ;; 8664) echo x86_64 ;; *) echo "0x$machine" ;; esac
}

# harness_check_arch SCR: the saver is built for the prefix's architecture
# (a 32-bit saver in a 32-bit prefix, a 64-bit one in a 64-bit prefix); the
# pairing is printed so that a test log shows which build ran where.
harness_check_arch() {
  local machine prefix_arch want
  machine=$(harness_pe_machine "$1")
  prefix_arch=$(sed -n 's/^#arch=//p' "$WINEPREFIX/system.reg" 2>/dev/null | head -n1)
  want=$([ "${WINEARCH:-win32}" = win64 ] && echo x86_64 || echo i386)
  HARNESS_ARCH_NOTE="saver $machine, prefix ${prefix_arch:-unknown}"
  echo "harness: $1 is $machine; prefix $WINEPREFIX is ${prefix_arch:-unknown}"
  if [ "$machine" != "$want" ] || [ "$prefix_arch" != "${WINEARCH:-win32}" ]; then
    echo "FAIL: a ${WINEARCH:-win32} test needs a $want saver in a ${WINEARCH:-win32} prefix"
    return 1
  fi
}
