#!/usr/bin/env bash
# The quote's size on the screen after each hit, full screen at 1920 x 1080 (the
# checks are in test_quote_common.bash).
HARNESS_SCREEN=1920x1080x24
source "$(dirname "$0")/test_quote_common.bash"
