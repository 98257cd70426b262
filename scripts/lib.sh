# Shared by the project's scripts: installing what is missing, and the build.
# shellcheck shell=bash

PROJECT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

say() { printf '\n== %s\n' "$*"; }

# on_virtual_display COMMAND...: COMMAND on a virtual X server of its own, its
# screen XVFB_SCREEN (1280x1024x24 unless set). The server never resets: by
# default it resets whenever its last client leaves, and a client connecting
# during that reset is refused.
on_virtual_display() {
  xvfb-run -a -s "-screen 0 ${XVFB_SCREEN:-1280x1024x24} -noreset" "$@"
}

# Installs the Debian packages given whose status is not "installed".
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "Installing ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev)
GUI_PACKAGES=(qt6-base-dev libgl-dev libxcb1-dev xvfb xauth xdotool x11-utils)
# Debian's, AppStream's and the desktop's own checkers of the Linux package.
PACKAGE_CHECK_PACKAGES=(lintian appstream desktop-file-utils)
# The MinGW-w64 cross build, Wine with its fonts, a virtual X server for its
# windows, the icon maker, and zip and NSIS for the packages.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth
  icoutils zip unzip nsis)

# configure_and_build PRESET [extra cmake arguments...]
configure_and_build() {
  local preset="$1"
  shift
  cmake --preset "$preset" -S "$PROJECT_ROOT" "$@" >/dev/null
  cmake --build --preset "$preset"
}

# make_save FOLDER NAME DAYS-AGO: a save of random bytes, as opaque as the game's.
make_save() {
  head -c $((48 * 1024 + RANDOM)) /dev/urandom >"$1/$2"
  touch -d "$3 days ago" "$1/$2"
}

# The Windows name of a path under Wine, whose drive Z: is the root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# make_demo FOLDER PROGRAM: a copy of PROGRAM beside its settings file, and a
# Wine prefix whose registry names the game and whose save folder holds three
# characters' saves, the autosave and a quicksave. A Windows program (.exe) is
# given the save folder by its Windows name.
make_demo() {
  local demo="$1" program="$2"
  local prefix="$demo/wine"
  local saves="$prefix/drive_c/users/player/Documents/My Games/Oblivion/Saves"
  mkdir -p "$saves"
  cp "$program" "$demo/"

  cat >"$prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Bethesda Softworks\\Oblivion] 1700000000
"Installed Path"="C:\\Program Files\\Bethesda Softworks\\Oblivion\\"
REG

  make_save "$saves" "Save 1 - Brutus - Imperial Prison, Level 1.ess" 30
  make_save "$saves" "Save 7 - Brutus - Imperial City, Level 4.ess" 21
  make_save "$saves" "Save 12 - Brutus - Weye, Level 6.ess" 14
  make_save "$saves" "Save 3 - Alena Varis - Chorrol, Level 2.ess" 25
  make_save "$saves" "Save 9 - Alena Varis - Cloud Ruler Temple, Level 5.ess" 10
  make_save "$saves" "Save 5 - Ma'Dara - Bravil, Level 3.ess" 18
  make_save "$saves" "Save 14 - Ma'Dara - Leyawiin, Level 7.ess" 2
  make_save "$saves" "autosave.ess" 1
  make_save "$saves" "quicksave.ess" 1

  local save_path="$saves"
  [[ "$program" == *.exe ]] && save_path="$(windows_path "$saves")"
  cat >"$demo/pelloquin.ini" <<INI
[Oblivion_General]
SavePath=$save_path
LoadedChar=Brutus
INI
}

# make_wine_prefix PREFIX [NAME=VALUE...]: a new Wine prefix (any old one
# removed) that has Wine's own fonts, "MS Sans Serif" among them, and the X11
# driver settings given. Under Xvfb there is no window manager: Managed=N has
# Wine place and close windows without waiting for one, Decorated=N has it
# draw their captions itself. Its server has ended when this returns, so the
# next program may use a display.
make_wine_prefix() {
  local prefix="$1" setting
  shift
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
  # No offer to download Mono or Gecko.
  if ! WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= wineboot -i \
    >"$prefix.log" 2>&1; then
    cat "$prefix.log" >&2
    return 1
  fi
  cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
  for setting in "$@"; do
    WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\X11 Driver' /v "${setting%%=*}" \
      /d "${setting#*=}" /f >>"$prefix.log" 2>&1
  done
  WINEPREFIX="$prefix" wineserver -w
}

# register_game PREFIX: the game's install folder in the prefix's registry, so
# Pelloquin finds the game and asks nothing at its start.
register_game() {
  WINEPREFIX="$1" wine reg add 'HKLM\Software\Bethesda Softworks\Oblivion' /v 'Installed Path' \
    /d 'C:\Program Files\Bethesda Softworks\Oblivion\' /f >>"$1.log" 2>&1
  WINEPREFIX="$1" wineserver -w
}
