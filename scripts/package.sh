#!/usr/bin/env bash
# Builds the Debian package lumo_<version>_amd64.deb in the top folder: the release build
# (build/release, shared with scripts/run.sh) with Debian's hardening flags, installed under
# /usr by CPack's DEB generator, dependencies from the shared libraries (dpkg-shlibdeps).
# Then checks the package with lintian, the desktop entry with desktop-file-validate and the
# AppStream metadata with appstreamcli; scripts/package-check.sh installs it and tries it.
# LUMO_PACKAGE_JOBS sets the build's jobs (default: nproc).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
start=$(date +%s)
build=build/release
jobs="${LUMO_PACKAGE_JOBS:-$(nproc)}"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# No -g: the package ships stripped programs and no debug symbols, and it saves build time.
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')"
cmake --preset release -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j "$jobs"
rm -f "$build"/lumo_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/lumo_*_amd64.deb)
cp "$deb" .
deb=$(basename "$deb")
echo "=== lintian $deb ==="
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --display-info "$deb"
echo "=== desktop-file-validate ==="
desktop-file-validate packaging/invalid.lumo.Lumo.desktop
echo "=== appstreamcli ==="
# Offline: the checks that need the network (URLs reachable) are left out.
appstreamcli validate --no-net "$build/packaging/invalid.lumo.Lumo.metainfo.xml"
echo "Built $deb in $(($(date +%s) - start)) s"
