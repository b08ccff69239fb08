#!/bin/sh
# Stands in for the user's browser under Wine: records each address it is asked to open. Wine starts it with
# the environment of the test run (scripts/run-wine-tests.sh), not with the calling program's.
echo "$1" >>"${TW_RUN_DIR:-/tmp}/browser.log"
