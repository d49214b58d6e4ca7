#!/usr/bin/env bash
# Packs the build with CPack as scripts/package does, checks the control fields a
# package manager relies on, and runs lintian on the package (errors fail the test;
# every tag is shown). The binaries are whatever this build made; scripts/package adds
# Debian's hardening flags to a release build.
#
#   package_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
trap 'exit 1' TERM INT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
fi
arch=$(dpkg --print-architecture)
deb=$out/kestro_${version}_$arch.deb
[[ -f $deb ]] || { ls "$out" >&2; echo "FAIL: no kestro_${version}_$arch.deb" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == kestro ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version), the project is $version"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture)"
# Computed from the binaries: the C library for both programs, Qt Widgets for the window.
depends=$(field Depends)
names=$(sed 's/ ([^)]*)//g; s/ *, */\n/g' <<<"$depends")
for library in libc6 libstdc++6 libqt6widgets6; do
    grep -qxF "$library" <<<"$names" || fail "Depends lacks $library: $depends"
done
description=$(field Description)
[[ $(wc -l <<<"$description") -gt 2 ]] || fail "no long description: $description"
if dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v '^\./usr/'; then
    fail "files outside /usr"
fi

# Listed whole first: grep -q ends early, and a writer cut off mid-list fails the pipe.
contents=$(dpkg-deb -c "$deb")
grep -q '\./usr/share/kestro/firmware/kestro-adapter\.hex$' <<<"$contents" ||
    fail "the package lacks the open adapter's firmware"

# As scripts/package: a package built without DEBEMAIL names a mailbox on this machine.
suppress=()
[[ $(field Maintainer) == *@localhost.localdomain\> ]] &&
    suppress=(--suppress-tags bogus-mail-host,bogus-mail-host-in-debian-changelog)
lintian --fail-on error --display-info "${suppress[@]}" "$deb" 2>&1 | grep -v 'running with root privileges'
((${PIPESTATUS[0]} == 0)) || fail "lintian reports errors"

((failures == 0)) || exit 1
echo "kestro_${version}_$arch.deb: Depends: $depends"
