# Shared by tests/e2e/test_config_*.sh and test_settings.sh (sourced after
# harness.sh): runs the saver's configuration dialog (/c) and looks into it
# with dlgprobe.exe. Controls go by their ids from res/resource.h, which
# harness.sh reads ("$IDC_USE_DESKTOP", "$IDOK").
# Named .bash so that the test_*.sh glob of CMakeLists.txt leaves it out.

CONFIG_TITLE="Cordelune 3D Screensaver Configuration"
ABOUT_TITLE="About"
DLGPROBE=${CORDELUNE_DLGPROBE:-${CORDELUNE_BIN:-}/dlgprobe.exe}
[ -f "$DLGPROBE" ] || { echo "FAIL: $DLGPROBE does not exist (set CORDELUNE_BIN)"; exit 1; }

# probe ARGS...: runs dlgprobe.exe and prints its report.
probe() { harness_wine "$DLGPROBE" "$@" 2>/dev/null </dev/null | tr -d '\r'; }

# LIST holds the last "probe list" report of the dialog TITLE.
LIST=
list_dialog() { LIST=$(probe list "$1" --wait "${2:-0}"); }

# ctl ID: the report line of control ID; fld ID KEY: one of its fields.
ctl() { grep -m1 "^control id=$1 " <<<"$LIST"; }
fld() { harness_field "$(ctl "$1")" "$2" || echo '?'; }
dlg() { harness_field "$(grep -m1 '^dialog ' <<<"$LIST")" "$1" || echo '?'; }

# expect_eq WHAT GOT WANT
expect_eq() {
  local shown=$3
  [[ $shown == *$'\n'* ]] && shown="$(wc -l <<<"$3") lines"
  if [ "$2" = "$3" ]; then harness_pass "$1 ($shown)"; else harness_fail "$1: got '$2', want '$3'"; fi
}

# expect_fld ID KEY WANT WHAT
expect_fld() { expect_eq "$4: control $1 $2" "$(fld "$1" "$2")" "$3"; }

# start_config [SWITCH]: the saver with /c (or SWITCH), waiting for its
# dialog (LIST is filled).
start_config() {
  harness_run_saver "$HARNESS_SAVER_SCR" "${1:-/c}"
  list_dialog "$CONFIG_TITLE" 30000
  if [ -z "$(ctl "$IDOK")" ]; then
    harness_fail "the configuration dialog appears"
    harness_kill_saver
    return 1
  fi
}

# refresh: a new report after the dialog has handled what was posted to it.
refresh() { sleep "${1:-0.3}"; list_dialog "$CONFIG_TITLE" 2000; }

click() { probe click "$CONFIG_TITLE" "$1" >/dev/null; refresh; }

# Geometry in dialog units: MulDiv as the dialog manager rounds.
muldiv() { echo $(( ($1 * $2 + $3 / 2) / $3 )); }

# within1 A B: A and B differ by at most one pixel (rounding).
within1() { [ $(($1 - $2)) -ge -1 ] && [ $(($1 - $2)) -le 1 ]; }
