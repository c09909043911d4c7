#!/usr/bin/env bash
# Builds the Debian package from build/ and checks its file list and dependencies.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
scripts/build.sh >/dev/null
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build_dir"/zorbel-configurator_*.deb | head -n 1)
echo "package: $deb"
contents=$(dpkg-deb -c "$deb")
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
failed=0
for f in ./usr/bin/zorbel-configurator ./usr/bin/zorbelctl ./usr/bin/zorbel-sim \
         ./usr/share/applications/zorbel-configurator.desktop \
         ./usr/share/icons/hicolor/48x48/apps/zorbel-configurator.png \
         ./usr/share/icons/hicolor/256x256/apps/zorbel-configurator.png \
         ./usr/share/man/man1/zorbelctl.1 ./usr/share/man/man1/zorbel-sim.1; do
  grep -q " $f\$" <<<"$contents" || { echo "missing from the package: $f"; failed=1; }
done
for dep in libqt6widgets6 libjpeg62-turbo libstdc++6; do
  grep -q "$dep" <<<"$depends" || { echo "missing dependency: $dep"; failed=1; }
done
if grep -q '/build/\|/work/' <<<"$contents"; then echo "build paths in the package"; failed=1; fi
[ "$failed" -eq 0 ] && echo "package: 1 passed, 0 failed" || { echo "package: 0 passed, 1 failed"; exit 1; }
