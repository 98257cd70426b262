#!/usr/bin/env bash
# The Linux package as its ecosystem checks it: lintian on the Debian package,
# AppStream's validator on the metadata and desktop-file-validate on the menu
# entry, each failing on any error or warning; the metadata's newest release
# is the version being built; and the program holds no test seam.
#   tests/install/package_checks.sh BUILD_DIR
set -uo pipefail

build="$(cd "$1" && pwd)"
PROJECT_ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/pelloquin-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
# check NAME LOG COMMAND...: runs it, keeping its output; shows the output when it fails.
check() {
  local name="$1" log="$2"
  shift 2
  if "$@" >"$log" 2>&1; then
    printf '%-62s passed\n' "$name"
    passed=$((passed + 1))
  else
    printf '%-62s FAILED\n' "$name"
    cat "$log"
    failed=$((failed + 1))
  fi
}

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || cat "$work/cpack.log"
deb="$work/pelloquin_${version}_amd64.deb"
check "the Debian package is made" "$work/made.log" test -f "$deb"
# Any finding fails, however lintian ranks it; its notice about running as
# root is no finding.
lintian_clean() {
  local out status
  out="$(lintian --fail-on error,warning "$deb" 2>&1)"
  status=$?
  out="$(grep -v 'running with root privileges' <<<"$out")"
  echo "$out"
  [ "$status" -eq 0 ] && [ -z "$out" ]
}
check "lintian finds no error and no warning" "$work/lintian.log" lintian_clean

dpkg-deb -x "$deb" "$work/root"
# The copyright file's licence is LICENSE's, below its title and copyright line.
licence_matches() {
  diff <(awk 'body { sub(/^ /, ""); sub(/^\.$/, ""); print } /^License: Expat$/ { if (++n == 2) body = 1 }' \
    "$work/root/usr/share/doc/pelloquin/copyright") <(sed -n '5,$p' "$PROJECT_ROOT/LICENSE")
}
check "the copyright file carries LICENSE's terms" "$work/licence.log" licence_matches
metainfo="$(find "$work/root/usr/share/metainfo" -name '*.metainfo.xml' -print -quit 2>/dev/null)"
check "the package holds its AppStream metadata" "$work/metainfo.log" test -n "$metainfo"
# Exits non-zero on any error or warning; infos and pedantic notes pass.
check "appstreamcli validate --no-net passes" "$work/appstream.log" \
  appstreamcli validate --no-net "${metainfo:-/nonexistent}"
newest_release() {
  grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | grep -qx "<release version=\"$version\""
}
check "the newest release in the metadata is $version" "$work/release.log" newest_release
desktop_clean() {
  local out
  out="$(desktop-file-validate "$work/root/usr/share/applications/pelloquin.desktop" 2>&1)" || {
    echo "$out"
    return 1
  }
  echo "$out"
  ! grep -qE 'error|warning' <<<"$out"
}
check "desktop-file-validate finds no error and no warning" "$work/desktop.log" desktop_clean
launchable() {
  local id
  id="$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")"
  test -f "$work/root/usr/share/applications/$id"
}
check "the metadata launches the desktop file the package holds" "$work/launch.log" launchable
check "the packaged program holds none of the tests' seams" "$work/seams.log" \
  "$PROJECT_ROOT/tests/install/no_test_seams.sh" nm "$build/src/ui/pelloquin"

echo "packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
