#!/bin/sh
# Stands in for the user's browser: Wine's winebrowser runs it (from the desktop's explorer, through the case's
# launcher that names the log) with the address to open, and it only notes it.
printf '%s\n' "$1" >>"${TW_BROWSER_LOG:?TW_BROWSER_LOG is not set}"
