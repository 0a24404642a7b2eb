#!/usr/bin/env bash
# Builds the Debian package from the build tree the way the README says
# (cpack -G DEB), into a folder of its own, and checks what it holds: the
# programs, their data, manual pages, completion, desktop entry, icon and
# metainfo; its version and dependencies; that the packaged programs run and
# find their data; and, where lintian is installed, that it finds no error.
#   package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
out=$build/package-test
rm -rf "$out"
mkdir -p "$out"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

(cd "$out" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >cpack.log 2>&1) ||
    { cat "$out/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$out"/*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "FAIL: no single package in $out"; exit 1; }
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[[ $(basename "$deb") == "kelvo_${version}_${arch}.deb" ]] || fail "package file $(basename "$deb")"

# The file list, without modes and owners: "./usr/bin/kelvoctl".
files=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for f in usr/bin/kelvow32 usr/bin/kelvoctl usr/bin/kelvo-sim \
    usr/share/man/man1/kelvow32.1.gz usr/share/man/man1/kelvoctl.1.gz \
    usr/share/man/man1/kelvo-sim.1.gz \
    usr/share/bash-completion/completions/kelvoctl \
    usr/share/applications/kelvow32.desktop \
    usr/share/icons/hicolor/scalable/apps/kelvow32.svg \
    usr/share/metainfo/org.example.kelvo.kelvow32.metainfo.xml \
    usr/share/kelvo/kelvo.lng usr/share/kelvo/dialogs/demo.dat \
    usr/share/kelvo/help/index.html usr/share/kelvo/help/install.html \
    usr/share/doc/kelvo/copyright usr/share/doc/kelvo/changelog.gz; do
    grep -qx "\./$f" <<<"$files" || fail "not in the package: /$f"
done
# Nothing of the build or the tests, and nothing outside /usr.
grep -vE '^\./(usr/.*)?$' <<<"$files" && fail "files outside /usr"
grep -E 'CMakeLists|_tests$|/bench_|/fuzz_|kelvo-pictures|\.ini$' <<<"$files" &&
    fail "build or test files in the package"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == kelvo ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version), the project's is $version"
depends=$(field Depends)
for d in qt6-qpa-plugins libqt6widgets6 libc6 libstdc++6; do
    grep -qE "(^|, )${d//+/\\+}( |,|$)" <<<"$depends" || fail "Depends lacks $d: $depends"
done

# The version of the newest changelog entry and of the newest release.
x=$out/x
dpkg-deb -x "$deb" "$x"
top=$(gzip -dc "$x/usr/share/doc/kelvo/changelog.gz" | head -1)
[[ $top == "kelvo ($version) "* ]] || fail "the changelog's newest entry is '$top'"
grep -q "<release version=\"$version\"" "$x/usr/share/metainfo/"*.metainfo.xml ||
    fail "the metainfo names no release $version"
for page in kelvow32 kelvoctl kelvo-sim; do
    head=$(gzip -dc "$x/usr/share/man/man1/$page.1.gz" | grep '^\.TH')
    [[ $head == *"\"kelvo $version\""* ]] || fail "$page.1: $head"
done

# The packaged (stripped) programs run from the unpacked tree and find their
# data in share/kelvo beside their bin directory.
grep -q "^Commands:" <<<"$("$x/usr/bin/kelvoctl" --help)" || fail "packaged kelvoctl --help"
grep -q -- "--link PATH" <<<"$("$x/usr/bin/kelvo-sim" --help)" || fail "packaged kelvo-sim --help"
[[ $("$x/usr/bin/kelvow32" --version) == "kelvow32 $version" ]] || fail "packaged kelvow32 --version"
shown=$("$x/usr/bin/kelvoctl" show "$x/usr/share/kelvo/dialogs/demo.dat" --language Deutsch)
grep -q Zweikanal <<<"$shown" || fail "packaged kelvoctl found no translations"
for program in kelvow32 kelvoctl kelvo-sim; do
    grep -q '\.debug_info' <<<"$(readelf -S "$x/usr/bin/$program")" && fail "$program is not stripped"
done
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$x/usr/share/metainfo/"*.metainfo.xml >"$out/appstream.log" 2>&1 ||
        { cat "$out/appstream.log"; fail "the metainfo does not validate"; }
fi

if command -v lintian >/dev/null; then
    # Errors fail the test; warnings and notes are shown.
    if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$out/lintian.log" 2>&1; then
        cat "$out/lintian.log"
        fail "lintian reports errors"
    else
        cat "$out/lintian.log"
    fi
else
    echo "lintian is not installed: not run"
fi

# Kept for a look when something failed.
[[ $failures -eq 0 ]] || exit 1
rm -rf "$out"
echo "package: $(basename "$deb") is complete"
