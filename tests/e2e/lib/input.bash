# Keyboard and mouse on the test display (sourced by harness.sh).
#   harness_key KEYS..., harness_click BUTTON [X Y]
#   harness_mouse_to X Y, harness_mouse_by DX DY (exact pixel steps)

harness_key() { xdotool key --delay 30 "$@"; }

# harness_mouse_to X Y: exact absolute pointer position.
harness_mouse_to() {
  xdotool mousemove "$1" "$2"
  HARNESS_MOUSE_X=$1 HARNESS_MOUSE_Y=$2
}

# harness_mouse_by DX DY: a step of exactly DX, DY pixels from the last position.
harness_mouse_by() {
  if [ -z "$HARNESS_MOUSE_X" ]; then
    eval "$(xdotool getmouselocation --shell)"
    HARNESS_MOUSE_X=$X HARNESS_MOUSE_Y=$Y
  fi
  harness_mouse_to $((HARNESS_MOUSE_X + $1)) $((HARNESS_MOUSE_Y + $2))
}

# harness_click BUTTON [X Y]
harness_click() {
  [ $# -ge 3 ] && harness_mouse_to "$2" "$3"
  xdotool click "$1"
}
