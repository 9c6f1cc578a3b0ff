#!/usr/bin/env bash
# The release installer (make dist) in this tree's prefix: 32-bit Windows in
# the win32 tree, 64-bit Windows in the win64 tree. An older version installs
# silently, the current one upgrades it in place (one Add/Remove Programs
# entry); the matching build lands in the system folder, the Uninstall key and
# the user's Desktop values are written; the installed saver runs /s from
# there and ends on a key. The silent uninstall removes every file and the
# entry, switches the screensaver off only while it still names our file, and
# keeps the user's settings unless asked to remove them. The saver, its audio
# library and the installer carry the project version in their version
# resources.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

VERSION=${CORDELUNE_VERSION:?CORDELUNE_VERSION is not set}
SETUP=${CORDELUNE_DIST:-$CORDELUNE_SOURCE_DIR/out/dist}/CordeluneSetup-$VERSION.exe
[ -f "$SETUP" ] || { harness_fail "$SETUP exists (make dist builds it)"; harness_finish; }
OLD_VERSION=0.9.0
MAKE_DIST=("$CORDELUNE_SOURCE_DIR/scripts/make-dist")
PRODUCT='Cordelune 3D Screensaver'
UNINSTALL_KEY="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$PRODUCT"
DESKTOP_KEY='HKCU\Control Panel\Desktop'
INSTALL_DIR="C:\\Program Files\\$PRODUCT"
SYSTEM_SCR='C:\windows\system32\Cordelune.scr'
SYSTEM_DIR=$WINEPREFIX/drive_c/windows/system32
BUILT_SCR=$HARNESS_SAVER_SCR

if [ "$WINEARCH" = win64 ]; then
  PE_WANT=8664 VIEW=/reg:64 OTHER_VIEW=/reg:32
else
  PE_WANT=014c VIEW= OTHER_VIEW=
fi

# --- helpers ----------------------------------------------------------------

# PE machine type of a file, 4 hex digits (014c i386, 8664 x86-64).
pe_machine() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$pe" ] && od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}

# reg_value KEY NAME [VIEW]: the data of one value as reg prints it; status 1
# when the value (or key) is missing.
reg_value() {
  local out
  out=$(harness_wine reg query "$1" /v "$2" ${3:+"$3"} 2>/dev/null </dev/null | tr -d '\r') || return 1
  grep -F "    $2    " <<<"$out" | sed 's/^ *[^ ].*    REG_[A-Z_]*    //' | head -n1 | grep '' || return 1
}
reg_key_exists() { harness_wine reg query "$1" ${2:+"$2"} >/dev/null 2>&1 </dev/null; }
uninstall_value() { reg_value "$UNINSTALL_KEY" "$1" $VIEW; }
absent() { ! "$@"; }

# How many Uninstall entries (in every registry view) are called $PRODUCT.
count_entries() {
  local views=("") view n=0
  [ "$WINEARCH" = win64 ] && views=(/reg:32 /reg:64)
  for view in "${views[@]}"; do
    n=$((n + $(harness_wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
                 /s ${view:+"$view"} 2>/dev/null </dev/null | tr -d '\r' | grep -c "^ *DisplayName *REG_SZ *$PRODUCT$")))
  done
  echo "$n"
}

unix_path() { harness_wine winepath -u "$1" 2>/dev/null </dev/null | tr -d '\r'; }

# run_setup WHAT EXE ARGS...: a 32-bit NSIS program, waited for.
run_setup() {
  local what=$1 rc=0; shift
  timeout 180 "${HARNESS_NORAND[@]}" "$HARNESS_WINE" "$@" >"$HARNESS_ARTIFACTS/${what//[^A-Za-z0-9.]/-}.txt" 2>&1 </dev/null || rc=$?
  harness_check "$what exits with code 0 (got $rc)" [ "$rc" = 0 ]
}

# uninstall WHAT [ARGS]: runs QuietUninstallString (the uninstaller copies
# itself to %TEMP% and returns at once), then waits until its last step,
# removing the entry, is done.
uninstall() {
  local what=$1 quiet exe i; shift
  quiet=$(uninstall_value QuietUninstallString) ||
    { harness_fail "$what: the entry has a QuietUninstallString"; return 1; }
  exe=$(sed 's/^"\([^"]*\)".*/\1/' <<<"$quiet")
  run_setup "$what" "$exe" ${quiet#\"$exe\"} "$@"
  for i in $(seq 1 120); do
    reg_key_exists "$UNINSTALL_KEY" $VIEW || break
    sleep 0.5
  done
}

# Leaves the prefix as if nothing had been installed; the Desktop values
# go back to what the prefix had before the test.
SAVED_SCRNSAVE=$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE || true)
SAVED_ACTIVE=$(reg_value "$DESKTOP_KEY" ScreenSaveActive || true)
clean_prefix() {
  local v
  rm -f "$SYSTEM_DIR/Cordelune.scr" "$WINEPREFIX/drive_c/windows/syswow64/Cordelune.scr"
  rm -rf "$(unix_path "$INSTALL_DIR")"
  for v in $VIEW $OTHER_VIEW; do
    harness_wine reg delete "$UNINSTALL_KEY" /f $v >/dev/null 2>&1 </dev/null
  done
  harness_wine reg delete "$UNINSTALL_KEY" /f >/dev/null 2>&1 </dev/null
  restore_desktop SCRNSAVE.EXE "$SAVED_SCRNSAVE"
  restore_desktop ScreenSaveActive "$SAVED_ACTIVE"
}
restore_desktop() {
  if [ -n "$2" ]; then
    harness_wine reg add "$DESKTOP_KEY" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1 </dev/null
  else
    harness_wine reg delete "$DESKTOP_KEY" /v "$1" /f >/dev/null 2>&1 </dev/null
  fi
}
trap 'clean_prefix; harness_stop' EXIT

# version_check WHAT FILE: the version resource holds the project version in
# its fixed part and its strings, and the product's name and maker.
version_check() {
  local what=$1 file=$2 raw=$HARNESS_ARTIFACTS/version.bin strings sig words
  if ! wrestool -x --raw --type=16 "$file" >"$raw" 2>/dev/null || [ ! -s "$raw" ]; then
    harness_fail "$what has a version resource"
    return
  fi
  strings=$(strings -el -n 1 "$raw")
  echo "$strings" >"$HARNESS_ARTIFACTS/version-$what.txt"
  # Each string is followed by its value.
  value() { awk -v k="$1" 'p { print; exit } $0 == k { p = 1 }' <<<"$strings"; }
  harness_check "$what: ProductName \"$PRODUCT\" ($(value ProductName))" [ "$(value ProductName)" = "$PRODUCT" ]
  harness_check "$what: FileVersion $VERSION ($(value FileVersion))" [ "$(value FileVersion)" = "$VERSION" ]
  harness_check "$what: ProductVersion $VERSION ($(value ProductVersion))" [ "$(value ProductVersion)" = "$VERSION" ]
  harness_check "$what: CompanyName Brightvane ($(value CompanyName))" [ "$(value CompanyName)" = Brightvane ]
  harness_check "$what: a copyright line ($(value LegalCopyright))" grep -q '^Copyright (c) ' <<<"$(value LegalCopyright)"
  harness_check "$what: a file description ($(value FileDescription))" [ -n "$(value FileDescription)" ]
  # VS_FIXEDFILEINFO: signature 0xFEEF04BD, then struct version, then the file
  # version as major/minor, patch/build (16-bit words, low word first).
  sig=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$raw" | head -n1 | cut -d: -f1)
  words=$(od -An -tu2 -j$((${sig:-0} + 8)) -N8 "$raw" | awk '{ print $2 "." $1 "." $4 "." $3 }')
  harness_check "$what: fixed file version $VERSION.0 ($words)" [ -n "$sig" -a "$words" = "$VERSION.0" ]
}

clean_prefix

# --- the installer's own version ------------------------------------------------
version_check installer "$SETUP"

# --- the release archive beside it: both builds, the README, the licences -----------
ZIP=$(dirname "$SETUP")/Cordelune-$VERSION.zip
if [ -f "$ZIP" ]; then
  LIST=$(unzip -Z1 "$ZIP" 2>/dev/null)
  for f in README.txt licenses/DancingScript.txt licenses/EBGaramond.txt licenses/stb.txt; do
    harness_check "the archive holds $f" grep -qx "$f" <<<"$LIST"
  done
  for pair in x86:win32:014c x64:win64:8664; do
    IFS=: read -r dir tree machine <<<"$pair"
    unzip -p "$ZIP" "$dir/Cordelune.scr" >"$HARNESS_TMP/$dir.scr" 2>/dev/null
    harness_check "the archive's $dir/Cordelune.scr is the $tree build (PE machine $(pe_machine "$HARNESS_TMP/$dir.scr"))" \
      cmp -s "$HARNESS_TMP/$dir.scr" "$CORDELUNE_SOURCE_DIR/build/$tree/bin/Cordelune.scr"
    harness_check "... and its machine type is $machine" [ "$(pe_machine "$HARNESS_TMP/$dir.scr")" = "$machine" ]
  done
  FIRST=$(unzip -p "$ZIP" README.txt 2>/dev/null | head -n1)
  harness_check "the archive's README names version $VERSION, with CR LF line ends" \
    [ "$FIRST" = "Cordelune 3D Screensaver $VERSION"$'\r' ]
else
  harness_fail "$ZIP exists (make dist builds it)"
fi

# The shipped installer is a 32-bit program. Where 32-bit programs cannot run
# at all (this tree is then the win64 one), or with
# CORDELUNE_SETUP_TARGET=amd64-unicode, the same installer script is checked
# built as a 64-bit program, and the output says so.
if [ -z "${CORDELUNE_SETUP_TARGET:-}" ] && ! "$HARNESS_SOURCE_DIR/scripts/wine-run" --arch win32 --check >/dev/null; then
  echo "NOTE: this machine cannot run 32-bit programs, so the shipped 32-bit installer cannot run here"
  CORDELUNE_SETUP_TARGET=amd64-unicode
fi
if [ -n "${CORDELUNE_SETUP_TARGET:-}" ]; then
  echo "NOTE: testing a $CORDELUNE_SETUP_TARGET build of the installer script, not the shipped $SETUP"
  SETUP=$HARNESS_TMP/CordeluneSetup-$VERSION.exe
  MAKE_DIST+=(--target "$CORDELUNE_SETUP_TARGET")
  bash "${MAKE_DIST[@]}" --installer "$SETUP" --fast >"$HARNESS_ARTIFACTS/make-setup.txt" 2>&1 ||
    { harness_fail "a $CORDELUNE_SETUP_TARGET installer is made"; harness_finish; }
fi

# --- an older version, installed silently ------------------------------------------
OLD_SETUP=$HARNESS_TMP/CordeluneSetup-$OLD_VERSION.exe
if bash "${MAKE_DIST[@]}" --installer "$OLD_SETUP" --version $OLD_VERSION --fast \
     >"$HARNESS_ARTIFACTS/make-old-setup.txt" 2>&1; then
  run_setup "silent install of $OLD_VERSION" "$OLD_SETUP" /S
  harness_check "version $OLD_VERSION is registered (DisplayVersion $(uninstall_value DisplayVersion))" \
    [ "$(uninstall_value DisplayVersion)" = $OLD_VERSION ]
else
  harness_fail "an installer of version $OLD_VERSION is made (see make-old-setup.txt)"
fi

# --- the current version over it ----------------------------------------------------
run_setup "silent install of $VERSION over $OLD_VERSION" "$SETUP" /S
harness_check "the upgrade keeps one Add/Remove Programs entry (found $(count_entries))" [ "$(count_entries)" = 1 ]
if [ -n "$OTHER_VIEW" ]; then
  harness_check "the entry lives in the 64-bit registry view, not under WOW6432Node" \
    absent reg_key_exists "$UNINSTALL_KEY" $OTHER_VIEW
fi

INSTALLED=$SYSTEM_DIR/Cordelune.scr
harness_check "Cordelune.scr is in the system folder" [ -f "$INSTALLED" ]
harness_check "it is the $WINEARCH build (PE machine $(pe_machine "$INSTALLED"), expected $PE_WANT)" \
  [ "$(pe_machine "$INSTALLED")" = "$PE_WANT" ]
harness_check "it is this tree's Cordelune.scr (else out/dist is older than the build: make dist)" \
  cmp -s "$INSTALLED" "$BUILT_SCR"
if [ "$WINEARCH" = win64 ]; then
  harness_check "nothing went to SysWOW64 (file-system redirection was off)" \
    [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/Cordelune.scr" ]
fi

# The Uninstall entry.
expect_value() {
  local got
  got=$(uninstall_value "$1" || echo '<missing>')
  harness_check "Uninstall $1 is $2 (got $got)" [ "${got,,}" = "${2,,}" ]
}
expect_value DisplayName "$PRODUCT"
expect_value DisplayVersion "$VERSION"
expect_value Publisher Brightvane
expect_value DisplayIcon "$SYSTEM_SCR,0"
expect_value InstallLocation "$INSTALL_DIR"
expect_value UninstallString "\"$INSTALL_DIR\\Uninstall.exe\""
expect_value QuietUninstallString "\"$INSTALL_DIR\\Uninstall.exe\" /S"
expect_value NoModify 0x1
expect_value NoRepair 0x1
SIZE_KB=$(( $(uninstall_value EstimatedSize || echo 0) ))
SCR_KB=$(( $(stat -c %s "$INSTALLED" 2>/dev/null || echo 0) / 1024 ))
harness_check "EstimatedSize covers the saver ($SIZE_KB KB, the saver $SCR_KB KB)" \
  [ "$SIZE_KB" -ge "$SCR_KB" -a "$SIZE_KB" -lt $((SCR_KB + 1024)) ]
DIR=$(unix_path "$INSTALL_DIR")
for f in Uninstall.exe README.txt licenses/DancingScript.txt licenses/stb.txt; do
  harness_check "$INSTALL_DIR holds $f" [ -f "$DIR/$f" ]
done

# The user's screensaver.
harness_check "SCRNSAVE.EXE names the installed saver ($(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE))" \
  [ "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE | tr A-Z a-z)" = "${SYSTEM_SCR,,}" ]
harness_check "ScreenSaveActive is 1 ($(reg_value "$DESKTOP_KEY" ScreenSaveActive))" \
  [ "$(reg_value "$DESKTOP_KEY" ScreenSaveActive)" = 1 ]

# The saver and the audio library it carries, as installed.
version_check saver "$INSTALLED"
LIB=$HARNESS_TMP/audio.dll
wrestool -x --raw --type=MEDIADATA --name=458 "$INSTALLED" >"$LIB" 2>/dev/null
version_check audio-library "$LIB"

# --- the installed saver, run as Windows runs it --------------------------------------
harness_reg_clear
harness_reg_set ShowFPS=2
harness_run_saver "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" /s
if harness_wait_log "first frame" 90000; then
  harness_pass "the installed saver draws its first frame"
  harness_check 'log: "command line" names the system folder' \
    grep -qiF 'system32\Cordelune.scr' "$HARNESS_LOG"
  sleep 1
  harness_screenshot installed-saver.png
  INPUT_MS=$(harness_now_ms)
  harness_key space
  if harness_wait_exit 5000 "$INPUT_MS"; then
    harness_check "a key ends the installed saver with exit code 0 (got $HARNESS_EXIT_CODE)" [ "$HARNESS_EXIT_CODE" = 0 ]
  else
    harness_fail "a key ends the installed saver (still running after 5 s)"
    harness_kill_saver
  fi
else
  harness_fail "the installed saver draws its first frame (log: $(tr '\n' '|' <"$HARNESS_LOG" 2>/dev/null))"
  harness_kill_saver
fi

# --- silent uninstall: still our screensaver (as an old Control Panel spelt it) ---
harness_wine reg add "$DESKTOP_KEY" /v SCRNSAVE.EXE /t REG_SZ /d "${SYSTEM_SCR^^}" /f >/dev/null 2>&1 </dev/null
uninstall "silent uninstall"
harness_check "the saver is gone from the system folder" [ ! -e "$INSTALLED" ]
harness_check "the install folder is gone" [ ! -e "$DIR" ]
harness_check "the Uninstall entry is gone" absent reg_key_exists "$UNINSTALL_KEY" $VIEW
harness_check "SCRNSAVE.EXE is cleared" absent reg_value "$DESKTOP_KEY" SCRNSAVE.EXE
harness_check "ScreenSaveActive is 0 ($(reg_value "$DESKTOP_KEY" ScreenSaveActive))" \
  [ "$(reg_value "$DESKTOP_KEY" ScreenSaveActive)" = 0 ]
harness_check "the user's settings stay (ShowFPS $(harness_reg_query ShowFPS))" [ "$(harness_reg_query ShowFPS)" = 0x2 ]

# --- again, with another screensaver chosen and /REMOVESETTINGS ---------------------
run_setup "silent install of $VERSION" "$SETUP" /S
OTHER='C:\windows\system32\other.scr'
harness_wine reg add "$DESKTOP_KEY" /v SCRNSAVE.EXE /t REG_SZ /d "$OTHER" /f >/dev/null 2>&1 </dev/null
uninstall "silent uninstall with /REMOVESETTINGS" /REMOVESETTINGS
harness_check "the Uninstall entry is gone again" absent reg_key_exists "$UNINSTALL_KEY" $VIEW
harness_check "another screensaver stays chosen ($(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE))" \
  [ "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" = "$OTHER" ]
harness_check "/REMOVESETTINGS removes the settings key" absent reg_key_exists "$HARNESS_REG_KEY"

harness_finish
