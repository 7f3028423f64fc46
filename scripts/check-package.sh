#!/usr/bin/env bash
# Makes the Debian package from a built tree (cpack, into a scratch folder) and
# checks it as Debian would: lintian, appstreamcli and desktop-file-validate,
# then that the files are in their places, that the installed programs run,
# and that the installed window finds its help page.
# Usage: scripts/check-package.sh [BUILD_DIR]      (default: build)
# Exit status 0 when every check passed, 1 when one failed, 77 when lintian is
# not installed (ctest counts that as skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")

if ! command -v lintian >/dev/null; then
  echo "check-package: lintian is not installed (scripts/setup.sh installs it); skipped"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/velum-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "check-package: $*" >&2; failed=1; }

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack failed"
  exit 1
fi
deb=$(ls "$work"/out/*.deb)
echo "check-package: $(basename "$deb")"

# Errors and warnings fail; what the package overrides (with the reason beside
# it in packaging/lintian-overrides) does not.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian found errors or warnings"

root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/velum usr/bin/velum-cli \
         usr/share/man/man1/velum.1.gz usr/share/man/man1/velum-cli.1.gz \
         usr/share/applications/velum.desktop usr/share/metainfo/velum.metainfo.xml \
         usr/share/mime/packages/velum.xml usr/share/icons/hicolor/scalable/apps/velum.svg \
         usr/share/velum/docs/velum.html \
         usr/share/doc/velum/copyright usr/share/doc/velum/changelog.Debian.gz \
         usr/share/doc/velum/examples/住所録.csv usr/share/doc/velum/examples/住所録.vcv; do
  [ -f "$root/$f" ] || fail "the package lacks /$f"
done

# The long description as dpkg shows it: no list separator leaked into it.
if dpkg-deb -f "$deb" Description | grep -q '^ *;'; then
  fail "a line of the description begins with ';'"
fi
version=$(dpkg-deb -f "$deb" Version)
zcat "$root/usr/share/doc/velum/changelog.Debian.gz" | head -n 1 | grep -qF "velum ($version)" ||
  fail "packaging/changelog does not begin with version $version"

if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/velum.metainfo.xml" || fail "appstreamcli rejects the metainfo"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/velum.desktop" || fail "desktop-file-validate rejects the desktop entry"
fi

# The installed programs, with a home of their own so nothing of the user's is read or touched.
home="$work/home"
mkdir -p "$home" && chmod 700 "$home"
run() {
  env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_RUNTIME_DIR="$home" VELUM_SETTINGS="$home/velum.reg" QT_QPA_PLATFORM=offscreen "$@"
}
run "$root/usr/bin/velum-cli" show "$root/usr/share/doc/velum/examples/住所録.csv" >"$work/show.txt" ||
  fail "the installed velum-cli cannot show the sample"
grep -q '住所' "$work/show.txt" || fail "the sample shows no items"
page="$root/usr/share/velum/docs/velum.html"
printf 'cmd 57670\n' | run "$root/usr/bin/velum" --script - >"$work/help.txt" 2>&1 || true
grep -qF "opened: file://$page" "$work/help.txt" ||
  { cat "$work/help.txt" >&2; fail "the installed velum does not open its help page $page"; }

[ "$failed" -eq 0 ] && echo "check-package: passed"
exit "$failed"
