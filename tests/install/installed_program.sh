#!/usr/bin/env bash
# The Linux program from its Debian package, unpacked where the user cannot
# write, as the package installs it into /usr/bin: the first run asks for the save folder (its dialog opening where
# the game keeps its saves), a close writes the settings into the user's settings
# folder, the second run asks nothing, and a copy started beside it ends at once. Drives the real program on a virtual
# X server with xdotool; fails whenever an expected window never appears.
#   tests/install/installed_program.sh BUILD_DIR
set -euo pipefail

build="$(cd "$1" && pwd)"
# A display number of its own, so that runs beside other virtual servers do not
# collide; a server that never resets, for it refuses whoever connects while it
# resets after its last client left (the check below, then the program).
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/pelloquin-installed.XXXXXX")"
prefix="$work/prefix"
pid=""
cleanup() {
  if [ -n "$pid" ]; then
    # A program that ignores the request (a modal dialog open) is not waited on for ever.
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  if mountpoint -q "$prefix" 2>/dev/null; then umount "$prefix"; fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "installed program: $*" >&2
  exit 1
}

# Read-only as /usr/bin is to a user: permissions stop a user, only a read-only
# file system stops root.
(cd "$build" && rm -f pelloquin_*.deb && cpack -G DEB >/dev/null)
mkdir -p "$prefix"
if [ "$(id -u)" -eq 0 ]; then mount -t tmpfs -o size=64m tmpfs "$prefix"; fi
dpkg-deb -x "$build"/pelloquin_*.deb "$prefix"
if [ "$(id -u)" -eq 0 ]; then mount -o remount,ro "$prefix"; else chmod -R a-w "$prefix"; fi
program="$prefix/usr/bin/pelloquin"

# The program starts only once the display answers.
for _ in $(seq 100); do
  if xdotool getdisplaygeometry >/dev/null 2>&1; then break; fi
  sleep 0.1
done
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "the virtual X server $DISPLAY never answered"

export HOME="$work/home" USER=player QT_QPA_PLATFORM=xcb
unset XDG_CONFIG_HOME WINEPREFIX
saves="$HOME/.wine/drive_c/users/player/Documents/My Games/Oblivion/Saves"
mkdir -p "$saves"
echo autosave >"$saves/autosave.ess"
echo bob >"$saves/Save 1 - Bob - Weye.ess"
echo alice >"$saves/Save 2 - Alice - Bravil.ess"
# The game is installed, so no box says otherwise.
printf '%s\n' 'WINE REGISTRY Version 2' '' \
  '[Software\\Bethesda Softworks\\Oblivion] 1700000000' \
  '"Installed Path"="C:\\Oblivion\\"' >"$HOME/.wine/system.reg"
settings="$HOME/.config/pelloquin/pelloquin.ini"

# find_window NAME [TYPE]: the id of the program's visible window of that name
# (and window type: DIALOG, NORMAL), waiting up to 20 s. Called only as
# "variable=$(find_window ...)", so that its failure ends the script.
find_window() {
  local id
  for _ in $(seq 200); do
    for id in $(xdotool search --onlyvisible --pid "$pid" --name "$1" 2>/dev/null || true); do
      if [ -z "${2:-}" ] || xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "_$2"; then
        echo "$id"
        return 0
      fi
    done
    kill -0 "$pid" 2>/dev/null || fail "the program ended while waiting for \"$1\""
    sleep 0.1
  done
  fail "no window \"$1\" ${2:-} appeared"
}
# press WINDOW KEYS...: focuses the window and types into it, as the user would.
press() {
  local window="$1"
  shift
  # A window just mapped may refuse the focus for a moment (an X error): a few tries.
  local try
  for try in 1 2 3 4 5; do
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null && break
    [ "$try" = 5 ] && fail "window $window never took the focus"
    sleep 0.5
  done
  sleep 0.3
  timeout 10 xdotool "$@" || fail "xdotool $* did not finish"
}
# end_of NAME: waits up to 10 s for the program to end, then gives its status.
end_of() {
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "$1 did not end"
  wait "$pid" || fail "$1 ended with status $?"
}
# stop: the user's logout; the settings are written as by a close.
stop() {
  kill -TERM "$pid"
  end_of "the program, sent SIGTERM,"
  pid=""
}

timeout 20 "$program" --help | grep -qF "Settings: $settings" ||
  fail "--help did not name $settings within 20 s"

# First run: the message, then the dialog, which opens in the save folder.
"$program" &
pid=$!
box="$(find_window '^Pelloquin$' DIALOG)"
press "$box" key Return
dialog="$(find_window 'Open')"
press "$dialog" type "autosave.ess"
press "$dialog" key Return
main="$(find_window '^Pelloquin$' NORMAL)"
stop
[ -f "$settings" ] || fail "no settings in $settings"
grep -qxF "SavePath=$saves" "$settings" || fail "the settings do not hold the save folder"
[ -d "$saves/Bob" ] && [ -d "$saves/Alice" ] || fail "no character folders"

# Second run: no question, straight to the main window.
"$program" &
pid=$!
second="$(find_window '^Pelloquin$')"
if ! xprop -id "$second" _NET_WM_WINDOW_TYPE | grep -q _NORMAL; then
  xprop -id "$second" WM_NAME _NET_WM_WINDOW_TYPE >&2
  fail "the second run asked again"
fi

# A copy started beside it says so and ends, touching nothing.
first="$pid"
before="$(stat -c %Y.%s "$settings")"
"$program" &
pid=$!
refusal="$(find_window '^Pelloquin$' DIALOG)"
press "$refusal" key Return
end_of "the second copy"
[ "$(stat -c %Y.%s "$settings")" = "$before" ] || fail "the second copy touched the settings"
pid="$first"
stop
echo "installed program: settings in $settings, kept across two runs (1 passed, 0 failed)"
