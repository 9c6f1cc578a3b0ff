#!/usr/bin/env bash
# Not yet in the suite: at 800x600 the first hit's quote is still framed too small
# (capitals about 0.6 % of the screen height against the 2 % asked); run it by hand.
# The quote's size on the screen after each hit, full screen at 800 x 600 (the
# checks are in test_quote_common.bash).
HARNESS_SCREEN=800x600x24
source "$(dirname "$0")/test_quote_common.bash"
