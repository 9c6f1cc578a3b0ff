#!/usr/bin/env bash
# The About box behind "About...": the seven lines of the About text, the
# localized title and button, the configuration dialog still enabled behind
# it; Return closes it with 1 and Escape with 2. "Visit..." opens the web-site
# address of the defaults file, with COM initialised apartment-threaded around
# the shell call, and leaves the dialog open.
set -u
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/test_config_common.bash"
harness_begin

# dialog_open TITLE: such a dialog is on the screen.
dialog_open() { probe list "$1" | grep -q '^dialog '; }

ABOUT_TEXT=$(grep -A1 -m1 '^#about_window_text#' "$HARNESS_SOURCE_DIR/res/localization.txt" | tail -n1 | tr -d '\r')
SITE=$(grep -m1 '^main_web_site_url' "$HARNESS_SOURCE_DIR/res/def_settings.txt" | sed 's/^[^=]*= *//' | tr -d '\r ' |
  tr 'A-Z' 'a-z')

# The http handler of the prefix becomes our probe, which writes down what it
# was asked to open (Wine takes the handler from HKCR only); the browser is
# put back at the end, also when the test fails.
VISITED=$HARNESS_ARTIFACTS/visited.txt
rm -f "$VISITED"
HANDLER_KEY='HKCR\http\shell\open\command'
HANDLER_SAVED=$(harness_wine reg query "$HANDLER_KEY" /ve 2>/dev/null </dev/null | tr -d '\r' |
  sed -n 's/^ *(Default) *REG_SZ *//p')
restore_handler() {
  if [ -n "$HANDLER_SAVED" ]; then
    harness_wine reg add "$HANDLER_KEY" /ve /t REG_SZ /f /d "$HANDLER_SAVED" >/dev/null 2>&1 </dev/null
  fi
}
# Wine's relay trace of the saver, limited to COM's set-up and the shell
# call by the prefix's RelayInclude (removed again at the end).
RELAY_KEY='HKCU\Software\Wine\Debug'
RELAY_FUNCS='ole32.CoInitializeEx;ole32.CoInitialize;ole32.CoUninitialize;combase.CoInitializeEx;combase.CoUninitialize;shell32.ShellExecuteA'
trap 'restore_handler; harness_wine reg delete "$RELAY_KEY" /v RelayInclude /f >/dev/null 2>&1 </dev/null; harness_stop' EXIT
harness_wine reg add "$HANDLER_KEY" /ve /t REG_SZ /f \
  /d "\"$(harness_winpath "$DLGPROBE")\" record \"$(harness_winpath "$VISITED")\" \"%1\"" >/dev/null 2>&1 </dev/null
harness_wine reg add "$RELAY_KEY" /v RelayInclude /t REG_SZ /f /d "$RELAY_FUNCS" >/dev/null 2>&1 </dev/null

# visit_calls: the traced calls of the saver's thread that called ShellExecuteA,
# one "Call|Ret NAME RETURN-ADDRESS ARGS" a line, in order.
visit_calls() {
  local file tid
  file=$(harness_trace_file)
  tid=$(tr -d '\r' <"$file" | grep -m1 -o '^[0-9a-f]*:Call shell32\.ShellExecuteA(' | cut -d: -f1)
  [ -n "$tid" ] || return 0
  tr -d '\r' <"$file" | grep -E "^$tid:(Call|Ret) +(ole32|combase|shell32)\." |
    sed -E 's/^[0-9a-f]+:(Call|Ret) +[a-z0-9]+\.([A-Za-z]+)\(([^)]*)\).* ret=([0-9a-f]+)$/\1 \2 \4 \3/'
}

# from_saver RETURN-ADDRESS: the call comes from the saver's own code (the
# image that calls ShellExecuteA, a few megabytes), not from a library.
from_saver() {
  [ -n "${SHELL_RET:-}" ] && [ -n "$1" ] || return 1
  local d=$(( 0x$1 - 0x$SHELL_RET ))
  [ "${d#-}" -lt $((16 << 20)) ]
}

# open_about: clicks "About..." and waits for the box (LIST is its report).
open_about() {
  probe click "$CONFIG_TITLE" "$IDC_ABOUT" >/dev/null
  list_dialog "$ABOUT_TITLE" 10000
  [ -n "$(ctl "$IDOK")" ] || { harness_fail "the About box appears"; return 1; }
}

# close_about KEY RESULT COUNT: the key closes the box, which reports RESULT
# (the COUNTth time in this run).
close_about() {
  local key=$1 want=$2
  harness_key "$key"
  if probe gone "$ABOUT_TITLE" --wait 5000 >/dev/null; then
    harness_pass "$key closes the About box"
  else
    harness_fail "$key closes the About box"
    probe key "$ABOUT_TITLE" 0x1B >/dev/null
    probe gone "$ABOUT_TITLE" --wait 3000 >/dev/null
  fi
  harness_wait_log $'EE_Core_ShowAbout\t'"$want" 3000
  expect_eq "$key: About box result" "$(grep -c $'^EE_Core_ShowAbout\t'"$want" "$HARNESS_LOG")" "$3"
}

harness_reg_clear
HARNESS_ENV=(WINEDEBUG=+relay)
start_config || harness_finish
HARNESS_ENV=()
open_about || harness_finish
harness_screenshot about.png
echo "$LIST" >"$HARNESS_ARTIFACTS/about.txt"
expect_eq "About title" "$(dlg title)" "About"
expect_fld "$IDOK" text "OK" "button caption"
expect_fld "$IDOK" kind defpush "OK is the default button"
IFS='%' read -r -a want_lines <<<"$ABOUT_TEXT"
for i in 0 1 2 3 4 5 6; do
  expect_fld $((IDC_ABOUT_LINE1 + i)) text "${want_lines[$i]:-}" "About line $((i + 1))"
done
expect_eq "line 2 is empty" "$(fld "$IDC_ABOUT_LINE2" text)" ""
for i in 0 1 2 3 4 5 6; do
  expect_eq "About line $((i + 1)) at its template place" \
    "$(fld $((IDC_ABOUT_LINE1 + i)) dx) $(fld $((IDC_ABOUT_LINE1 + i)) dy) $(fld $((IDC_ABOUT_LINE1 + i)) dw) $(fld $((IDC_ABOUT_LINE1 + i)) dh)" \
    "7 $((12 + 11 * i)) 156 8"
done
expect_eq "OK at its template place" "$(fld "$IDOK" dx) $(fld "$IDOK" dy) $(fld "$IDOK" dw) $(fld "$IDOK" dh)" "169 70 50 14"
unfit=$(grep ' fits=0' <<<"$LIST" || true)
expect_eq "every About line fits its label" "$unfit" ""
expect_eq "About box is 233 x 102 units" "$(dlg dw) $(dlg dh)" "233 102"
expect_eq "About picture shows a bitmap" "$(grep -c 'class="Static".* bitmap=1' <<<"$LIST")" 1
list_dialog "$CONFIG_TITLE" 2000
expect_eq "configuration dialog stays enabled" "$(dlg enabled)" 1
expect_eq "About box has the configuration dialog's owner (none)" \
  "$(harness_field "$(probe list "$ABOUT_TITLE" | grep '^dialog ')" owner)" "$(dlg owner)"
close_about Return 1 1

open_about || harness_finish
close_about Escape 2 1
open_about || harness_finish
close_about Return 1 2
harness_check "the configuration dialog is still open" dialog_open "$CONFIG_TITLE"

# --- Visit... ------------------------------------------------------------------------------
probe click "$CONFIG_TITLE" "$IDC_VISIT" >/dev/null
harness_wait_file "$VISITED" . 15000
expect_eq "Visit... opens the web-site address" "$(tr -d '\r' <"$VISITED" 2>/dev/null)" "$SITE"
CALLS=$(visit_calls)
echo "$CALLS" >"$HARNESS_ARTIFACTS/visit-calls.txt"
SHELL_RET=$(awk '$1 == "Call" && $2 == "ShellExecuteA" { print $3; exit }' <<<"$CALLS")
INIT= FLAGS= UNINIT=
while read -r kind name ret args; do
  [ "$kind $name" = "Call ShellExecuteA" ] && break
  if [ "$kind $name" = "Call CoInitializeEx" ] && from_saver "$ret"; then INIT=$ret FLAGS=${args##*,}; fi
done <<<"$CALLS"
# The first call on the thread after the shell call has returned.
read -r kind name ret _ < <(sed -n '/^Ret ShellExecuteA/,$p' <<<"$CALLS" | grep -m1 '^Call ')
[ "${kind:-} ${name:-}" = "Call CoUninitialize" ] && from_saver "$ret" && UNINIT=$ret
harness_check "Visit... initialises COM before ShellExecuteA (at ${INIT:-nowhere}, the shell call at ${SHELL_RET:-?})" \
  [ -n "$INIT" ]
harness_check "COM is apartment-threaded (flags 0x${FLAGS:-?})" bash -c '(( (0x$1 & 2) == 2 ))' _ "${FLAGS:-0}"
harness_check "Visit... uninitialises COM right after ShellExecuteA returns (at ${UNINIT:-nowhere})" [ -n "$UNINIT" ]
harness_check "the dialog stays open after Visit..." dialog_open "$CONFIG_TITLE"
probe click "$CONFIG_TITLE" "$IDCANCEL" >/dev/null
harness_expect_ended "Cancel"

harness_finish
