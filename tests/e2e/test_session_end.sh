#!/usr/bin/env bash
# The saver ended from outside, and its temporary copy of the audio library.
# Wine's end of the session (wineboot -e) during /s ends the saver, which
# leaves no "bas" file in %TEMP%. A run killed outright (kill -9) leaves its
# copy behind; the next normal run removes it, while the files beside it
# that are not provably ours stay: one named like our copies with other
# bytes of the same size, "basXXXX.tmp" with other bytes, and our bytes
# under a name we never make.
set -u
source "$(dirname "$0")/harness.sh"
harness_begin

LOAD_LIMIT_MS=60000
TEMP_DIR=$(harness_wine winepath -u "$(harness_wine cmd /c echo %TEMP% 2>/dev/null </dev/null | tr -d '\r')" \
  2>/dev/null </dev/null)
[ -d "$TEMP_DIR" ] || { harness_fail "the prefix's %TEMP% is a folder ($TEMP_DIR)"; harness_finish; }
echo "TEMP: $TEMP_DIR"

# Every "bas" copy in %TEMP%, by name.
bas_files() { find "$TEMP_DIR" -maxdepth 1 -type f -iname 'bas*.tmp' -printf '%f\n' 2>/dev/null | sort; }

# GetTempFileNameA's names: "bas", up to four hex digits, ".tmp".
copy_files() { bas_files | grep -iE '^bas[0-9a-f]{1,4}\.tmp$' || true; }

# start_saver WHAT: /s with the default settings (music and effects on), until
# the audio library has been loaded.
start_saver() {
  harness_run_saver "$HARNESS_SAVER_SCR" /s
  if harness_wait_log $'BASS_Init\t' "$LOAD_LIMIT_MS"; then
    sleep 1
    return 0
  fi
  harness_fail "$1: the saver loads its audio library (log: $(tail -n2 "$HARNESS_LOG" 2>/dev/null | tr '\n\r' '  '))"
  harness_kill_saver
  return 1
}

# Copies left by earlier runs of other builds would hide what this test sees.
harness_reg_clear
while read -r f; do [ -n "$f" ] && rm -f "$TEMP_DIR/$f"; done < <(bas_files)

# --- the session ends while the saver runs --------------------------------------
if start_saver "end of session"; then
  harness_check "the library's copy is in %TEMP% while the saver runs ($(copy_files | tr '\n' ' '))" \
    [ -n "$(copy_files)" ]
  START=$(harness_now_ms)
  timeout 60 "${HARNESS_NORAND[@]}" "$HARNESS_WINE" wineboot.exe -e >"$HARNESS_ARTIFACTS/wineboot.txt" 2>&1 </dev/null
  if harness_wait_exit 10000 "$START"; then
    harness_pass "the end of the session ends the saver (after $HARNESS_EXIT_MS ms, exit code $HARNESS_EXIT_CODE)"
  else
    harness_fail "the end of the session ends the saver"
    harness_kill_saver
  fi
  LEFT=$(bas_files | tr '\n' ' ')
  harness_check "no \"bas\" file is left after the end of the session (${LEFT:-none})" [ -z "$LEFT" ]
fi

# --- a killed run leaves its copy ------------------------------------------------
KILLED=
BEFORE=$(copy_files)
if start_saver "killed run"; then
  KILLED=$(copy_files | grep -vxF -e "${BEFORE:-/}" | head -n1)
  kill -KILL "$HARNESS_SAVER_PID" 2>/dev/null
  harness_wait_exit 10000 || harness_kill_saver
  harness_check "a run killed with kill -9 leaves its copy ($KILLED)" [ -f "$TEMP_DIR/$KILLED" ]
fi

# --- the next run removes it and only it -----------------------------------------
if [ -n "$KILLED" ] && [ -f "$TEMP_DIR/$KILLED" ]; then
  # Same size, one byte changed, named like our copies.
  cp "$TEMP_DIR/$KILLED" "$TEMP_DIR/basbeef.tmp"
  printf '\x00' | dd of="$TEMP_DIR/basbeef.tmp" bs=1 seek=4096 conv=notrunc status=none
  cmp -s "$TEMP_DIR/$KILLED" "$TEMP_DIR/basbeef.tmp" && printf '\x01' |
    dd of="$TEMP_DIR/basbeef.tmp" bs=1 seek=4096 conv=notrunc status=none
  printf 'not our library\r\n' >"$TEMP_DIR/basXXXX.tmp"
  cp "$TEMP_DIR/$KILLED" "$TEMP_DIR/basic-copy.tmp"
  if start_saver "next run"; then
    harness_key space
    harness_wait_exit 10000 || { harness_fail "the next run ends after a key"; harness_kill_saver; }
    harness_check "the next run removes the killed run's copy $KILLED" [ ! -e "$TEMP_DIR/$KILLED" ]
    harness_check "a file named like our copies with other bytes stays (basbeef.tmp)" [ -f "$TEMP_DIR/basbeef.tmp" ]
    harness_check "basXXXX.tmp with other bytes stays" [ -f "$TEMP_DIR/basXXXX.tmp" ]
    harness_check "our bytes under another name stay (basic-copy.tmp)" [ -f "$TEMP_DIR/basic-copy.tmp" ]
    LEFT=$(bas_files | grep -vxF -e basbeef.tmp -e basXXXX.tmp -e basic-copy.tmp | tr '\n' ' ')
    harness_check "the next run leaves no copy of its own (${LEFT:-none})" [ -z "$LEFT" ]
  fi
  rm -f "$TEMP_DIR/basbeef.tmp" "$TEMP_DIR/basXXXX.tmp" "$TEMP_DIR/basic-copy.tmp"
fi

harness_finish
