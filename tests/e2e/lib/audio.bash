# Sound (sourced by harness.sh): a private PulseAudio whose null sink
# records what the saver plays, and measurements of recorded sound.
#   harness_pulse_start, harness_record_start WAV, harness_record_stop
# Sound files are WAV or anything sox reads; levels are linear, 1 = full scale.

# PulseAudio with one null sink "cap" (its monitor is "cap.monitor"), private
# to this harness; Wine and pactl reach it through PULSE_SERVER.
harness_pulse_start() {
  local dir=$HARNESS_TMP/pulse i
  mkdir -p "$dir"
  export PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir PULSE_SERVER=unix:$dir/native
  pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit=yes -n \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
    --load="module-null-sink sink_name=cap" \
    >"$HARNESS_TMP/pulseaudio.txt" 2>&1 </dev/null &
  HARNESS_PULSE_PID=$!
  _harness_track "$HARNESS_PULSE_PID"
  for i in $(seq 1 100); do
    pactl info >/dev/null 2>&1 && break
    harness_alive "$HARNESS_PULSE_PID" || break
    sleep 0.1
  done
  pactl set-default-sink cap >/dev/null 2>&1 || {
    harness_note "PulseAudio did not start: $(tail -n3 "$HARNESS_TMP/pulseaudio.txt")"; return 1; }
  harness_note "PulseAudio null sink 'cap' (pid $HARNESS_PULSE_PID)"
}

# Records what reaches the null sink into a WAV file until harness_record_stop.
harness_record_start() {
  parec -d cap.monitor --file-format=wav "$1" >/dev/null 2>&1 </dev/null &
  HARNESS_RECORD_PID=$!
  _harness_track "$HARNESS_RECORD_PID"
}

harness_record_stop() {
  harness_kill_pid "$HARNESS_RECORD_PID"
  HARNESS_RECORD_PID=
}

# --- measurements of recorded sound -------------------------------------------

# audio_stat FILE FIELD [sox effects...]: one line of "sox stat", e.g.
# "RMS amplitude" or "Maximum amplitude".
audio_stat() {
  local file=$1 field=$2; shift 2
  sox "$file" -n "$@" stat 2>&1 | sed -n "s/^$field: *//p" | head -n1
}

audio_peak() { audio_stat "$1" 'Maximum amplitude' "${@:2}"; }

# audio_envelope FILE WINDOW_S: the RMS of each WINDOW_S of FILE (both
# channels), one value a line.
audio_envelope() {
  sox "$1" -t dat -c 1 - 2>/dev/null | awk -v rate=44100 -v win="$2" '
    /^;/ { next }
    { s += $2 * $2; n++; if (n >= rate * win) { print sqrt(s / n); s = 0; n = 0 } }'
}

# audio_match SHORT LONG [loop] [GAIN]: how well the envelope SHORT (one
# value a line) follows some stretch of the envelope LONG: the best
# correlation coefficient over all offsets, and that offset in windows.
# "loop" lets the stretch run on from the end of LONG into its start; GAIN
# (LONG's level against SHORT's) counts only stretches within a factor of
# two of that level, so that a quiet tail of the same shape does not match.
audio_match() {
  awk -v loop="${3:-}" -v gain="${4:-0}" '
    FNR == 1 { f++ }
    f == 1 { a[na++] = $1; next }
    { b[nb++] = $1 }
    END {
      best = -2; at = -1
      last = loop == "loop" ? nb - 1 : nb - na
      for (k = 0; k <= last; k++) {
        sa = sb = saa = sbb = sab = 0
        for (i = 0; i < na; i++) {
          x = a[i]; y = b[(k + i) % nb]
          sa += x; sb += y; saa += x * x; sbb += y * y; sab += x * y
        }
        if (gain > 0 && saa > 0) {
          g = sqrt(sbb / saa)
          if (g < gain / 2 || g > gain * 2) continue
        }
        va = saa - sa * sa / na; vb = sbb - sb * sb / na
        if (va <= 0 || vb <= 0) continue
        r = (sab - sa * sb / na) / sqrt(va * vb)
        if (r > best) { best = r; at = k }
      }
      printf "%.3f %d\n", best, at
    }' "$1" "$2"
}

# audio_extract SCR ID OUT.wav: MEDIADATA resource ID of the saver, decoded.
audio_extract() {
  local ogg=${3%.wav}.ogg
  wrestool -x --raw --type=MEDIADATA --name="$2" "$1" >"$ogg" && sox "$ogg" "$3"
}

# audio_bas_files: the "bas" temporary files (copies of the audio library)
# in the prefix.
audio_bas_files() { find "$WINEPREFIX/drive_c" -iname 'bas*.tmp' 2>/dev/null; }

# audio_ratio A B: A / B with three decimals.
audio_ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'; }

# audio_between VALUE LOW HIGH: true when LOW <= VALUE <= HIGH.
audio_between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
