#!/usr/bin/env bash
# consumer-test.sh BUILD_DIR MP3_FILE EXPECTED_TITLE
#
# Installs the build into a temporary prefix, then builds the consumer in this
# folder against that prefix alone, twice: with find_package(Korvel) and with
# pkg-config (korvel-widgets). Each build also compiles one file that includes
# every installed header, which fails if a public header includes one that was
# not installed; the library's internal helpers must not be installed at all.
# Both consumers must read the file as expected.
set -euo pipefail
build=$(cd "$1" && pwd)
mp3=$2
title=$3
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" > "$work/install.log" ||
  { cat "$work/install.log"; exit 1; }
version=$(sed -n 's/^#define KORVEL_VERSION_STRING "\(.*\)"$/\1/p' \
  "$prefix/include/korvel/core/Version.h")
[ -n "$version" ] || { echo "installed core/Version.h has no version"; exit 1; }
# The library's internal helpers stay behind the classes that use them.
for internal in core/Ansi.h core/BinaryFile.h xml/XmlNodes.h id3v2/TagContents.h id3v230/RawTag.h \
    id3v230/ID3LibBinding.h id3v230/ID3LibSupport.h controls/FieldState.h controls/FieldText.h \
    controls/BatchString.h controls/cTextBox.h; do
  [ ! -e "$prefix/include/korvel/$internal" ] || { echo "internal header $internal is installed"; exit 1; }
done

# Nothing of the source tree or of the build may be reachable from here on.
mkdir "$work/src"
cp "$here/CMakeLists.txt" "$here/main.cpp" "$work/src/"
(cd "$prefix/include/korvel" && find . -name '*.h' | sort | sed 's|^\./\(.*\)$|#include "\1"|') \
  > "$work/src/all_headers.cpp"
[ "$(wc -l < "$work/src/all_headers.cpp")" -gt 10 ] || { echo "too few installed headers"; exit 1; }
echo 'target_sources(consumer PRIVATE all_headers.cpp)' >> "$work/src/CMakeLists.txt"

export QT_QPA_PLATFORM=offscreen
check() {  # check NAME OUTPUT
  local expected
  expected=$(printf 'version %s\ntitle %s\nhas id3v2 yes\n' "$version" "$title")
  if [ "$(printf '%s\n' "$2" | head -3)" != "$expected" ] ||
     ! printf '%s\n' "$2" | grep -qx "editor title $title" ||
     ! printf '%s\n' "$2" | grep -qE '^rows [1-9][0-9]*$'; then
    echo "$1 consumer printed:"; printf '%s\n' "$2"; echo "expected to begin with:"; echo "$expected"
    exit 1
  fi
  echo "$1 consumer: ok"
}

# 1. CMake package.
cmake -S "$work/src" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_BUILD_TYPE=Release > "$work/configure.log" ||
  { cat "$work/configure.log"; exit 1; }
grep -qx "Korvel_DIR:PATH=$prefix/.*" "$work/cmake-build/CMakeCache.txt" ||
  { echo "find_package(Korvel) did not find the temporary prefix"; exit 1; }
cmake --build "$work/cmake-build" > "$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
check find_package "$("$work/cmake-build/consumer" "$mp3")"

# 2. pkg-config.
pcdir=$(dirname "$(find "$prefix" -name korvel.pc -path '*/pkgconfig/*' | head -1)")
export PKG_CONFIG_PATH=$pcdir
pkg-config --exact-version="$version" korvel korvel-widgets
# Qt 6 wants programs built as position-independent code.
c++ -std=c++20 -fPIC "$work/src/main.cpp" "$work/src/all_headers.cpp" -o "$work/pc-consumer" \
  $(pkg-config --cflags --libs korvel-widgets) 2> "$work/pc-build.log" ||
  { cat "$work/pc-build.log"; exit 1; }
check pkg-config "$(LD_LIBRARY_PATH="$(dirname "$pcdir")" "$work/pc-consumer" "$mp3")"
