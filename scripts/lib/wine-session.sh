# Sourced by the scripts that run our Windows binaries: a Wine prefix inside the build
# folder (made once), an X display, and one persistent wineserver for the whole session.
# Everything started here is ended when the sourcing script exits.

# wine_session_start PREFIX_DIR [private|two-monitors] [WIDTHxHEIGHT]
#   private: always use a private Xvfb display, even when DISPLAY is set.
#   two-monitors: a private display with two monitors side by side, 1024x768 (the
#   primary) and 1280x800: TigerVNC's Xvnc, which takes a layout of monitors from an RFB
#   client (Xvfb gives Wine only one monitor). Test monitors without a Wine virtual
#   desktop: one of those always reports a single monitor.
#   WIDTHxHEIGHT: the screen of an Xvfb display (default 1280x1024), large enough for
#   every Wine desktop opened on it.
wine_session_start() {
  local mode=${2:-} screen=${3:-1280x1024}
  export WINEPREFIX="$1"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="

  _wine_session_xvfb=""
  trap wine_session_stop EXIT
  if [ "$mode" = two-monitors ]; then
    _wine_session_two_monitors || return 1
  elif [ "$mode" = private ] || [ -z "${DISPLAY:-}" ]; then
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    _wine_session_xvfb=$!
    _wine_session_use_display Xvfb "$display_file" || return 1
  fi

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once)..."
    _wine_session_step wineboot --init
    # A crashing test must fail, not wait for someone to close winedbg's dialog.
    _wine_session_step wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    # Let the set-up's own wineserver and services end: COM calls to the services left
    # over from the set-up stall for seconds each.
    wineserver -w
  fi
  # The persistent wineserver must not hold any of our output pipes open. One may still
  # run from an earlier session in this prefix; then that one serves.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  _wine_session_step wine cmd /c exit
  _wine_session_task_scheduler
}

# Wine starts its Task Scheduler on the first call that needs it, and under load that start
# fails: "service database locked" while services.exe is still starting, or a time-out
# while svchost starts; the installer then cannot register or remove the logon task, and
# every later call in that wineserver fails the same way. Started here, once, before any
# program runs, it either runs for the whole session or the session does not start.
_wine_session_task_scheduler() {
  if wine sc query Schedule </dev/null 2>/dev/null | grep -q RUNNING; then
    return 0
  fi
  _wine_session_step wine net start Schedule
}

# Runs one set-up command with every stream sent to /dev/null (see above); a failure says
# which command it was and on which display, since its own output is gone.
_wine_session_step() {
  local status=0
  "$@" </dev/null >/dev/null 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "wine-session: '$*' failed with exit code $status (WINEPREFIX=$WINEPREFIX, DISPLAY=$DISPLAY)" >&2
    return "$status"
  fi
}

# _wine_session_use_display SERVER FILE: waits for the X server just started to write its
# display number into FILE, then uses that display.
_wine_session_use_display() {
  local server=$1 display_file=$2 waited=0
  while [ ! -s "$display_file" ] && [ $waited -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if [ ! -s "$display_file" ]; then
    echo "wine-session: $server gave no display within 10 s" >&2
    rm -f "$display_file"
    return 1
  fi
  export DISPLAY=":$(head -n1 "$display_file")"
  rm -f "$display_file"
}

_wine_session_two_monitors() {
  local display_file socket
  display_file=$(mktemp)
  socket=$(mktemp -u --suffix=.rfb)
  Xvnc -displayfd 3 -geometry 2304x800 -depth 24 -SecurityTypes None -rfbport -1 -rfbunixpath "$socket" \
    -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  _wine_session_xvfb=$!
  _wine_session_use_display Xvnc "$display_file" || return 1
  # Returns once the server has applied the layout.
  python3 "$(dirname "${BASH_SOURCE[0]}")/rfb-desktop-layout.py" "$socket" 2304 800 0,0,1024,768 1024,0,1280,800
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${_wine_session_xvfb:-}" ]; then
    kill "$_wine_session_xvfb" 2>/dev/null || true
    wait "$_wine_session_xvfb" 2>/dev/null || true
  fi
}

# Wine's own fonts have no Chinese letters. Under a Chinese locale the fonts that windows
# and menus ask for are replaced by WenQuanYi Micro Hei (from Debian's fonts-wqy-microhei);
# under any other locale the prefix's own fonts are used again.
# wine_session_fonts_for_locale [LOCALE]   (default: $LC_ALL, else $LANG)
wine_session_fonts_for_locale() {
  local key='HKCU\Software\Wine\Fonts\Replacements' font locale=${1:-${LC_ALL:-${LANG:-}}}
  for font in Tahoma Arial "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
    case "$locale" in
      zh*) wine reg add "$key" /v "$font" /d 'WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1 ;;
      *) wine reg delete "$key" /v "$font" /f </dev/null >/dev/null 2>&1 || true ;;
    esac
  done
}
