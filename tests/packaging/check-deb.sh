#!/usr/bin/env bash
# Builds the Debian package from an already built tree and checks what a user
# installing it would get: the files, the dependencies and valid desktop
# metadata.
# Usage: check-deb.sh BUILD_DIR SOURCE_DIR VERSION APP_ID
set -euo pipefail

build_dir=$1
source_dir=$2
version=$3
app_id=$4

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "check-deb: $tool is missing (scripts/deps test)" >&2; exit 1; }
done

arch=$(dpkg --print-architecture)
out_dir="$build_dir/package-check"
rm -rf "$out_dir"
mkdir -p "$out_dir"
cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$out_dir" >"$out_dir/cpack.log" 2>&1 ||
    { cat "$out_dir/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }

deb="$out_dir/quillmarch_${version}_${arch}.deb"
if [ ! -f "$deb" ]; then
    echo "FAIL: $deb was not written; cpack made:" >&2
    ls "$out_dir" >&2
    exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quillmarch ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project says $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
echo "Depends: $depends"
for wanted in libqt6widgets6 libqt6gui6 libqt6core6 libc6 fonts-noto-cjk; do
    grep -qE "(^|[ ,|])$wanted( |,|$)" <<<"$depends" || fail "Depends lacks $wanted"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|')
expected=(
    /usr/bin/quillmarch
    /usr/bin/quillmarch-cli
    /usr/share/quillmarch/WData.csv
    /usr/share/applications/$app_id.desktop
    /usr/share/metainfo/$app_id.metainfo.xml
    /usr/share/icons/hicolor/scalable/apps/$app_id.svg
    /usr/share/doc/quillmarch/README.md
)
for bmp in SS AXE Fencing Mace Archery Staff; do
    expected+=("/usr/share/quillmarch/$bmp.bmp")
done
for size in 16 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$contents" || fail "package lacks $path"
done
# Nothing of the build or test tree may leak into the package.
stray=$(grep -vE '^/usr/(bin|share/(quillmarch|applications|metainfo|icons|doc|doc/quillmarch))/?$|^/usr/(bin|share/(quillmarch|applications|metainfo|icons))/|^/usr/share/doc/quillmarch/README\.md$|^/(usr(/share)?)?/?$' <<<"$contents" || true)
[ -z "$stray" ] || fail "unexpected paths in the package: $stray"

root="$out_dir/root"
dpkg-deb -x "$deb" "$root"
for exe in quillmarch quillmarch-cli; do
    [ -x "$root/usr/bin/$exe" ] || fail "/usr/bin/$exe is not executable"
    if command -v readelf >/dev/null && readelf -d "$root/usr/bin/$exe" | grep -qE 'RPATH|RUNPATH'; then
        fail "/usr/bin/$exe carries a library search path"
    fi
done
for file in WData.csv SS.bmp AXE.bmp Fencing.bmp Mace.bmp Archery.bmp Staff.bmp; do
    cmp -s "$root/usr/share/quillmarch/$file" "$source_dir/data/$file" ||
        fail "/usr/share/quillmarch/$file differs from data/$file"
done
# The guide F1 opens is the one of these sources.
cmp -s "$root/usr/share/doc/quillmarch/README.md" "$source_dir/README.md" ||
    fail "/usr/share/doc/quillmarch/README.md differs from README.md"
grep -qF "<release version=\"$version\"" "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "the metainfo's newest release is not $version"
grep -qx "Icon=$app_id" "$root/usr/share/applications/$app_id.desktop" ||
    fail "the desktop entry names another icon than the installed $app_id"
for size in 16 24 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    # A PNG holds its width and height big-endian at bytes 16..23.
    dims=$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')
    printf -v want '%08x%08x' "$size" "$size"
    [ "$dims" = "$want" ] || fail "$png is not ${size}x${size}"
done

desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed on $deb" >&2
    exit 1
fi
echo "ok: $deb"
