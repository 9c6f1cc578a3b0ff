# The test display (sourced by harness.sh): a private Xvfb (a free number,
# $HARNESS_SCREEN with GLX, white root window) or, for several monitors
# (HARNESS_MONITORS="WxH+X+Y[*] ...", * the primary), a private Xorg with the
# dummy driver. harness_start picks one; DISPLAY names it.

_harness_start_xvfb() {
  # A white root window: whatever the saver leaves black is its own drawing,
  # never the bare screen behind it.
  Xvfb -displayfd 3 -screen 0 "$HARNESS_SCREEN" +extension GLX -nolisten tcp -wr \
    3>"$HARNESS_TMP/display" >"$HARNESS_TMP/xvfb.txt" 2>&1 </dev/null &
  _harness_take_display Xvfb xvfb.txt || return 1
  harness_note "Xvfb $HARNESS_SCREEN on $DISPLAY (pid $HARNESS_XVFB_PID)"
}

# _harness_take_display NAME OUTPUT: the X server just started in the background
# ($!) writes its display number to $HARNESS_TMP/display; it becomes DISPLAY.
# OUTPUT (in $HARNESS_TMP) says why when it does not start.
_harness_take_display() {
  local fdfile=$HARNESS_TMP/display i
  HARNESS_XVFB_PID=$!
  _harness_track "$HARNESS_XVFB_PID"
  for i in $(seq 1 200); do
    [ -s "$fdfile" ] && grep -q '^[0-9]' "$fdfile" && break
    harness_alive "$HARNESS_XVFB_PID" || break
    sleep 0.05
  done
  [ -s "$fdfile" ] || { harness_note "$1 did not start: $(tail -n3 "$HARNESS_TMP/$2")"; return 1; }
  export DISPLAY=:$(head -n1 "$fdfile" | tr -dc 0-9)
}

# Xvfb shows one monitor only (with Xinerama Wine sees both heads at 0,0), so
# several monitors come from Xorg's dummy driver, whose outputs DUMMY0..15 are
# placed with RandR. Xorg runs on a seat of its own: it needs no terminal.
_harness_start_xorg_dummy() {
  local conf=$HARNESS_TMP/xorg.conf
  mkdir -p "$HARNESS_TMP/xorg.conf.d"
  cat >"$conf" <<'XCONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 4096
  EndSubSection
EndSection
XCONF
  Xorg -displayfd 3 -config "$conf" -configdir "$HARNESS_TMP/xorg.conf.d" -logfile "$HARNESS_TMP/xorg.log" \
    -noreset -nolisten tcp -seat "cordelune-$$" 3>"$HARNESS_TMP/display" >"$HARNESS_TMP/xorg.txt" 2>&1 </dev/null &
  _harness_take_display Xorg xorg.txt || return 1
  _harness_place_monitors || return 1
  harness_note "Xorg dummy on $DISPLAY (pid $HARNESS_XVFB_PID): $(xrandr --listactivemonitors | tail -n +2 | tr -s ' ' | tr '\n' ';')"
}

# Gives output DUMMYi the i-th place of HARNESS_MONITORS.
_harness_place_monitors() {
  local i=0 place size pos args=()
  for place in $HARNESS_MONITORS; do
    size=${place%%+*} pos=${place#*+}
    pos=${pos%\*}
    xrandr --addmode "DUMMY$i" "$size" 2>/dev/null || true
    args+=(--output "DUMMY$i" --mode "$size" --pos "${pos/+/x}")
    [[ $place == *\* ]] && args+=(--primary)
    i=$((i + 1))
  done
  xrandr "${args[@]}" || { harness_note "xrandr could not place the monitors: ${args[*]}"; return 1; }
}
