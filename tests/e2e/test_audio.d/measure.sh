# Measurements of recorded sound for the audio end-to-end tests (sourced).
# Sound files are WAV or anything sox reads; levels are linear, 1 = full scale.

# audio_stat FILE FIELD [sox effects...]: one line of "sox stat", e.g.
# "RMS amplitude" or "Maximum amplitude".
audio_stat() {
  local file=$1 field=$2; shift 2
  sox "$file" -n "$@" stat 2>&1 | sed -n "s/^$field: *//p" | head -n1
}

audio_rms() { audio_stat "$1" 'RMS     amplitude' "${@:2}"; }
audio_peak() { audio_stat "$1" 'Maximum amplitude' "${@:2}"; }

# audio_db LEVEL: the level in dB (-200 for silence).
audio_db() { awk -v v="$1" 'BEGIN { if (v > 0) printf "%.1f", 20 * log(v) / log(10); else print -200 }'; }

# audio_envelope FILE WINDOW_S: the RMS of each WINDOW_S of FILE (both
# channels), one value a line.
audio_envelope() {
  sox "$1" -t dat -c 1 - 2>/dev/null | awk -v rate=44100 -v win="$2" '
    /^;/ { next }
    { s += $2 * $2; n++; if (n >= rate * win) { print sqrt(s / n); s = 0; n = 0 } }'
}

# audio_onset FILE LEVEL: seconds until the sound first exceeds LEVEL.
audio_onset() {
  sox "$1" -t dat - 2>/dev/null | awk -v level="$2" '
    /^;/ { next }
    { if ($2 > level || $2 < -level || $3 > level || $3 < -level) { print $1; found = 1; exit } }
    END { if (!found) print -1 }'
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

# audio_share_above ENVELOPE LEVEL: the share of windows louder than LEVEL.
audio_share_above() {
  awk -v level="$2" '{ n++; if ($1 > level) k++ } END { printf "%.3f", n ? k / n : 0 }' "$1"
}

# audio_extract SCR ID OUT.wav: MEDIADATA resource ID of the saver, decoded.
audio_extract() {
  local ogg=${3%.wav}.ogg
  wrestool -x --raw --type=MEDIADATA --name="$2" "$1" >"$ogg" && sox "$ogg" "$3"
}

# audio_bas_files PREFIX: the "bas" temporary files in the prefix.
audio_bas_files() { find "$1/drive_c" -iname 'bas*.tmp' 2>/dev/null; }

# audio_ratio A B: A / B with three decimals.
audio_ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'; }

# audio_between VALUE LOW HIGH: true when LOW <= VALUE <= HIGH.
audio_between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
