#!/usr/bin/env bash
# The quote's size on the screen after each hit, full screen at 800 x 600 (the
# checks are in test_quote_common.bash).
HARNESS_SCREEN=800x600x24
source "$(dirname "$0")/test_quote_common.bash"
