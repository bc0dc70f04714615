#!/usr/bin/env bash
# deb-test.sh [BUILD_DIR]   (default: build/ci)
#
# Makes the Debian packages of a finished build (cpack -G DEB), installs them
# with apt-get the way a user would, checks the installed programs, man pages
# and desktop entry, and purges the packages again so the machine stays
# clean. Installing packages needs root (or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$(cd "${1:-build/ci}" && pwd)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo > /dev/null && sudo -n true 2> /dev/null; then
    sudo="sudo"
  else
    echo "deb-test: installing the packages needs root or sudo; not testing them." >&2
    echo "deb-test: run it as root (or with sudo available) to test the .deb files." >&2
    exit 0
  fi
fi

version=$(sed -n 's/^#define KORVEL_VERSION_STRING "\(.*\)"$/\1/p' "$build/generated/core/Version.h")
[ -n "$version" ] || { echo "deb-test: no version in $build/generated/core/Version.h" >&2; exit 1; }

cd "$build"
rm -f korvel-*.deb
cpack -G DEB > cpack.log 2>&1 || { cat cpack.log; exit 1; }
debs=(korvel-*.deb)
packages=()
for deb in "${debs[@]}"; do
  packages+=("$(dpkg-deb -f "$deb" Package)")
  echo "deb-test: $deb: $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)," \
    "Depends: $(dpkg-deb -f "$deb" Depends)"
done

# Never replace or later purge packages this machine already has.
for p in "${packages[@]}"; do
  if dpkg-query -W -f='${Status}' "$p" 2> /dev/null | grep -q "ok installed"; then
    echo "deb-test: $p is already installed here; not touching it." >&2
    exit 1
  fi
done

fail() { echo "deb-test: FAILED: $*" >&2; exit 1; }
cleanup() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq "${packages[@]}" > /dev/null 2>&1 || true
}
trap cleanup EXIT

# The library package names id3lib, which it loads at run time.
dpkg-deb -f korvel-"$version"-libkorvel0.deb Depends | grep -q 'libid3-3.8.3v5' ||
  fail "libkorvel0 does not depend on libid3-3.8.3v5"

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
  "${debs[@]/#/./}" > apt.log 2>&1 || { cat apt.log; fail "apt-get install"; }

# The programs from their installed places, linked to the installed libraries.
[ "$(/usr/bin/korvel --version)" = "korvel $version" ] || fail "korvel --version"
# The library a program loads, as a real path.
loaded() { realpath "$(ldd "$1" | awk -v lib="$2" '$1 == lib { print $3 }')"; }
[[ "$(loaded /usr/bin/korvel libkorvel.so.0)" == /usr/lib/* ]] ||
  fail "korvel loads $(loaded /usr/bin/korvel libkorvel.so.0)"
info=$(cd / && korvel info "$source_dir/assets/demo.mp3") || fail "korvel info"
grep -q "Morning Fanfare" <<< "$info" || fail "korvel info shows no title: $info"
quelm_version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/quelm --version) ||
  fail "quelm --version"
[ "$quelm_version" = "Quelm $version" ] || fail "quelm --version printed '$quelm_version'"
[[ "$(loaded /usr/bin/quelm libkorvel-widgets.so.0)" == /usr/lib/* ]] ||
  fail "quelm loads $(loaded /usr/bin/quelm libkorvel-widgets.so.0)"

# Man pages and the desktop entry.
for page in korvel quelm; do
  if ! man -w "$page" > /dev/null; then
    if grep -rqs 'path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d/; then
      fail "man -w $page: dpkg on this machine leaves out /usr/share/man (/etc/dpkg/dpkg.cfg.d)"
    fi
    fail "man -w $page"
  fi
done
desktop-file-validate /usr/share/applications/quelm.desktop || fail "desktop entry"
[ -f /usr/share/icons/hicolor/scalable/apps/quelm.svg ] || fail "icon not installed"
[ -f /usr/include/korvel/file/FileHandler.h ] || fail "headers not installed"
pkg-config --exact-version="$version" korvel korvel-widgets || fail "pkg-config korvel korvel-widgets"

echo "deb-test: ${#debs[@]} packages installed, checked and removed: ${packages[*]}"
