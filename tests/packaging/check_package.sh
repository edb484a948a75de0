#!/usr/bin/env bash
# check_package.sh CHECK BUILD_DIR SOURCE_DIR VERSION
#
# The Debian package's checks, one per ctest test:
#   build      cpack in the build folder, as `make package` does, into BUILD_DIR/package-check
#   lintian    no errors on the package
#   contents   the files, where lintian and the desktop expect them, and the computed Depends
#   installed  the package unpacked into a scratch root runs
#   metadata   desktop file, AppStream metainfo, changelog and metainfo versions
set -euo pipefail
check=$1 build=$2 source=$3 version=$4
out=$build/package-check
arch=$(dpkg --print-architecture)
deb=$out/korvanta_${version}_${arch}.deb

fail() { echo "FAIL: $*" >&2; exit 1; }

case $check in
build)
  rm -rf "$out"
  cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" > "$out.log" 2>&1 || { cat "$out.log"; fail "cpack"; }
  [ -f "$deb" ] || fail "no $deb; cpack made: $(ls "$out")"
  ;;

lintian)
  # Errors fail (lintian's status 1); warnings are shown for whoever reads the log.
  status=0
  lintian --tag-display-limit 0 --fail-on error "$deb" || status=$?
  [ "$status" = 0 ] || fail "lintian ended with status $status"
  ;;

contents)
  listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')
  expected=(
    /usr/bin/korvanta
    /usr/bin/korvanta-cli
    /usr/share/applications/korvanta.desktop
    /usr/share/icons/hicolor/scalable/apps/korvanta.svg
    /usr/share/metainfo/org.ombrix.Korvanta.metainfo.xml
    /usr/share/mime/packages/korvanta.xml
    /usr/share/man/man1/korvanta.1.gz
    /usr/share/man/man1/korvanta-cli.1.gz
    /usr/share/doc/korvanta/copyright
    /usr/share/doc/korvanta/changelog.gz
    /usr/share/korvanta/examples/multiply.asm
    /usr/share/korvanta/examples/grading/task.json
  )
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/korvanta.png")
  done
  for f in "${expected[@]}"; do
    grep -qxF "$f" <<< "$listing" || fail "$f is not in the package"
  done
  # Nothing of the build (tests, static libraries, headers) comes along; the samples do, for
  # File > Open Example.
  stray=$(grep -vE '/$|^/usr/(bin/korvanta(-cli)?|share/(applications|icons|metainfo|mime|man|doc|korvanta)/)' <<< "$listing" || true)
  [ -z "$stray" ] || fail "unexpected files: $stray"

  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  # The package names alone, one a line ("libc6 (>= 2.34), libqt6core6" gives libc6, libqt6core6).
  needed=$(tr ',' '\n' <<< "$depends" | sed -E 's/^ +//; s/[ (].*//')
  for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6; do
    grep -qxF "$lib" <<< "$needed" || fail "Depends lacks $lib"
  done
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "architecture"
  ;;

installed)
  root=$(mktemp -d)
  trap 'rm -rf "$root"' EXIT
  dpkg -x "$deb" "$root"
  [ "$("$root/usr/bin/korvanta-cli" --version)" = "korvanta $version" ] || fail "korvanta-cli --version"
  [ "$(env -u DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/korvanta" --version)" = "korvanta $version" ] \
    || fail "korvanta --version"
  # 7 added 6 times: A ends as 2A (42) and the program halts normally.
  run=$("$root/usr/bin/korvanta-cli" run "$source/examples/multiply.asm") || fail "the sample run ended with $?"
  grep -q '^Status     Program Finished (green)$' <<< "$run" || fail "sample run: $run"
  grep -q '^Registers  A 2A  B 07' <<< "$run" || fail "sample run: $run"
  # The binaries are stripped.
  file "$root/usr/bin/korvanta" "$root/usr/bin/korvanta-cli" | grep -q 'not stripped' && fail "unstripped"
  # The icons are the sizes their folders say.
  for size in 16 22 24 32 48 64 128 256; do
    file "$root/usr/share/icons/hicolor/${size}x${size}/apps/korvanta.png" | grep -q "PNG image data, $size x $size," \
      || fail "icon $size"
  done
  ;;

metadata)
  desktop-file-validate "$source/packaging/korvanta.desktop"
  appstreamcli validate --no-net "$source/packaging/org.ombrix.Korvanta.metainfo.xml"
  grep -qx 'Exec=korvanta %f' "$source/packaging/korvanta.desktop" || fail "Exec line"
  grep -qx 'MimeType=application/x-korvanta-project;' "$source/packaging/korvanta.desktop" || fail "MimeType line"
  [ "$(dpkg-parsechangelog -l "$source/packaging/changelog" -S Version)" = "$version" ] \
    || fail "packaging/changelog does not start with $version"
  first_release=$(grep -o '<release version="[^"]*"' "$source/packaging/org.ombrix.Korvanta.metainfo.xml" | head -1)
  [ "$first_release" = "<release version=\"$version\"" ] || fail "the metainfo's newest release is not $version"
  ;;

*)
  fail "unknown check $check"
  ;;
esac
echo "$check: ok"
