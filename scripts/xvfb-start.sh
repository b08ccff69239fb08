#!/usr/bin/env bash
# Starts Xvfb on a free display and prints "export DISPLAY=:N XVFB_PID=P".
set -euo pipefail
fifo=$(mktemp -u /tmp/tw-xvfb.XXXXXX)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "${1:-1280x1024x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
pid=$!
read -r num <"$fifo"
rm -f "$fifo"
echo "export DISPLAY=:$num XVFB_PID=$pid"
