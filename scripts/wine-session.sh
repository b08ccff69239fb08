# Sourced by the scripts that run the test build under Wine (inside the run's network namespace):
#   start_wine_session BUILD_DIR [DPI]
# makes a throwaway prefix and a private HOME, starts a private Xvfb display, a warm wineserver and the
# desktop keeper, installs the test-only network-connections component, and stops all of it when the calling
# shell exits (TW_KEEP=1 keeps the run's files).
start_wine_session() {
  local build=$1 dpi=${2:-} here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  . "$here/scripts/host-wine.sh"
  export TW_CACHE=${TW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tempowave}
  TW_RUN_DIR=$(mktemp -d /tmp/tw-wine.XXXXXX)
  export HOME=$TW_RUN_DIR/home WINEPREFIX=$TW_RUN_DIR/prefix WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LANG=C.UTF-8 TW_RUN_DIR
  unset LC_ALL http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
  mkdir -p "$HOME"
  TW_XVFB_PID=
  trap stop_wine_session EXIT

  "$here/scripts/make-prefix.sh" "$WINEPREFIX" ${dpi:+--dpi "$dpi"}
  eval "$("$here/scripts/xvfb-start.sh" 1280x1024x24)"
  TW_XVFB_PID=$XVFB_PID
  # A warm server with the system processes started on null handles: otherwise services.exe and explorer.exe
  # inherit the caller's output pipe and every test waits for them.
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 </dev/null
  if [ -f "$build/tests/fakes/netshell/netshell.dll" ]; then
    "$here/scripts/install-fake-netshell.sh" "$build/tests/fakes/netshell/netshell.dll"
  fi
  local keeper=${TW_HELPERS_BUILD:-$build}/tests/e2e/desktop_keeper.exe
  if [ -f "$keeper" ]; then
    (wine "$keeper" "Z:$TW_RUN_DIR/keeper.ready" >/dev/null 2>&1 </dev/null &)
    for _ in $(seq 100); do [ -e "$TW_RUN_DIR/keeper.ready" ] && break; sleep 0.1; done
  fi
}

stop_wine_session() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -z "${TW_XVFB_PID:-}" ] || kill "$TW_XVFB_PID" 2>/dev/null || true
  if [ -n "${TW_KEEP:-}" ]; then echo "kept $TW_RUN_DIR" >&2; else rm -rf "$TW_RUN_DIR"; fi
}
