# Results of the end-to-end checks (sourced by harness.sh): each check says
# PASS, FAIL or NOT JUDGED with its message, and harness_finish sums them up.
#   harness_pass / harness_fail / harness_check MESSAGE COMMAND... / harness_finish
#   harness_not_judged MESSAGE REASON   a check the machine was too slow to judge

harness_pass() { HARNESS_PASSES=$((HARNESS_PASSES + 1)); echo "PASS: $*"; }
harness_fail() { HARNESS_FAILURES=$((HARNESS_FAILURES + 1)); echo "FAIL: $*"; }
# A check that could not be judged (a slow machine missed the moment): it
# neither passes nor fails, and the summary says so.
harness_not_judged() {
  HARNESS_NOT_JUDGED=$((HARNESS_NOT_JUDGED + 1))
  echo "NOT JUDGED: $1 ($2)"
}

# harness_check MESSAGE COMMAND...: PASS or FAIL by the command's status.
harness_check() {
  local msg=$1; shift
  if "$@"; then harness_pass "$msg"; else harness_fail "$msg"; fi
}

# Summary line; exits non-zero when any check failed (or none ran).
harness_finish() {
  echo "SUMMARY: $HARNESS_PASSES passed, $HARNESS_FAILURES failed, $HARNESS_NOT_JUDGED not judged ($(basename "$0"), ${HARNESS_ARCH_NOTE:-})"
  [ -n "$HARNESS_ARTIFACTS" ] && echo "artifacts: $HARNESS_ARTIFACTS"
  [ "$HARNESS_FAILURES" -eq 0 ] && [ "$HARNESS_PASSES" -gt 0 ] && exit 0
  exit 1
}
