#!/usr/bin/env bash
# Installs the build into a scratch root the way the package lays it out (prefix /usr
# under DESTDIR), checks what a desktop and the validators expect of the files, then
# runs the installed programs from there: kestro-sim --help, and kestro on the offscreen
# platform against the installed kestro-sim, closed by SIGTERM as a session closes it.
#
#   install_test.sh BUILD_DIR APP_ID
set -uo pipefail
build=$1
app=$2

root=$(mktemp -d)
sim=
cleanup() {
    [[ -n $sim ]] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 1' TERM INT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! DESTDIR="$root/image" cmake --install "$build" --prefix /usr >"$root/install.log" 2>&1; then
    cat "$root/install.log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
fi
usr=$root/image/usr
desktop=$usr/share/applications/$app.desktop
metainfo=$usr/share/metainfo/$app.metainfo.xml
icons=$usr/share/icons/hicolor

# --- the files a desktop looks for ----------------------------------------------------
for f in "$usr/bin/kestro" "$usr/bin/kestro-sim" "$desktop" "$metainfo" \
    "$icons/scalable/apps/$app.svg" \
    "$usr/share/man/man1/kestro.1.gz" "$usr/share/man/man1/kestro-sim.1.gz" \
    "$usr/share/doc/kestro/README.md" "$usr/share/doc/kestro/copyright" \
    "$usr/share/doc/kestro/changelog.gz"; do
    [[ -f $f ]] || fail "not installed: ${f#"$root/image"}"
done
for size in 16 32 48 64 128 256; do
    png=$icons/${size}x$size/apps/$app.png
    if [[ ! -f $png ]]; then
        fail "no $size pixel icon"
    elif ! file -b "$png" | grep -q "PNG image data, $size x $size,"; then
        fail "the $size pixel icon is $(file -b "$png")"
    fi
done

desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" >"$root/appstream.log" 2>&1 ||
    { cat "$root/appstream.log" >&2; fail "appstreamcli validate"; }

# A file opened from a file manager reaches the program, and every type the entry
# claims is one the shared MIME database or Kestro's own package defines.
grep -q '^Exec=kestro %f$' "$desktop" || fail "the entry does not pass the file (%f)"
mime_types=$(sed -n 's/^MimeType=//p' "$desktop")
[[ -n $mime_types ]] || fail "the entry declares no MIME types"
for type in ${mime_types//;/ }; do
    grep -q "type=\"$type\"" "$usr/share/mime/packages/$app.xml" /usr/share/mime/packages/*.xml ||
        fail "MimeType=$type is defined nowhere"
done
xmllint --noout "$usr/share/mime/packages/$app.xml" 2>/dev/null ||
    { command -v xmllint >/dev/null && fail "the MIME package is no well-formed XML"; }

# The entry must start an installed program and name an installed icon; the metadata
# must launch that entry and provide only installed programs.
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[[ -x $usr/bin/$exec_program ]] || fail "Exec=$exec_program is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ $icon == "$app" && -f $icons/scalable/apps/$icon.svg ]] || fail "Icon=$icon is not the installed icon"
grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch $app.desktop"
for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo"); do
    [[ -x $usr/bin/$binary ]] || fail "the metadata provides $binary, which is not installed"
done

# The open adapter's firmware, ready for a flashing tool: Intel HEX with its end record.
hex=$usr/share/kestro/firmware/kestro-adapter.hex
if [[ ! -f $hex ]]; then
    fail "not installed: ${hex#"$root/image"}"
elif grep -qv $'^:[0-9A-F]*\r\\?$' "$hex" || [[ $(tail -n 1 "$hex" | tr -d '\r') != :00000001FF ]]; then
    fail "${hex#"$root/image"} is no Intel HEX file"
fi

# --- manual pages: clean for man, and every simulator option documented -----------------
for page in "$usr"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man warns about ${page##*/}: $warnings"
done
if ! help=$("$usr/bin/kestro-sim" --help); then
    fail "kestro-sim --help"
fi
grep -q '^Usage: kestro-sim' <<<"$help" || fail "kestro-sim --help prints no usage"
simulator_page=$(zcat "$usr/share/man/man1/kestro-sim.1.gz" | sed 's/\\-/-/g')
for option in $(grep -o -- '--[a-z0-9-]*' <<<"$help" | sort -u); do
    grep -q -- "$option\b" <<<"$simulator_page" || fail "kestro-sim.1 does not document $option"
done

# --- nothing found through the build folder --------------------------------------------
build_abs=$(cd "$build" && pwd)
source_abs=$(cd "$(dirname "$0")/../.." && pwd)
for program in "$usr"/bin/*; do
    readelf -d "$program" | grep -Eq 'R(UN)?PATH' && fail "${program##*/} carries a library path"
    if readelf -p .rodata "$program" 2>/dev/null | grep -Fq -e "$build_abs" -e "$source_abs"; then
        fail "${program##*/} holds a path into the source or build folder"
    fi
done

# --- the installed programs run from there ---------------------------------------------
# A private home: the simulator links COM1 in its config folder, and the program finds
# the port and writes its settings there.
export HOME=$root/home XDG_CONFIG_HOME=$root/home/config XDG_RUNTIME_DIR=$root/runtime
export QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
# Qt keeps some allocations to the end of the process; the leak check is the unit tests'.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
config=$XDG_CONFIG_HOME/kestro

# Waits (at most a minute, sanitizer builds start slowly) until `test ARGS` holds or
# process PID has ended.
await() {
    local pid=$1
    shift
    for _ in $(seq 600); do
        test "$@" && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    test "$@"
}

# Without a display: --help and --version answer, an unknown option is a usage error.
(unset QT_QPA_PLATFORM; "$usr/bin/kestro" --help) | grep -q '^Usage: kestro ' || fail "kestro --help"
version=$(unset QT_QPA_PLATFORM; "$usr/bin/kestro" --version) || fail "kestro --version failed"
[[ $version =~ ^kestro\ [0-9] ]] || fail "kestro --version printed '$version'"
[[ $("$usr/bin/kestro-sim" --version) == "${version/kestro/kestro-sim}" ]] || fail "kestro-sim --version"
(unset QT_QPA_PLATFORM; "$usr/bin/kestro" --bogus 2>/dev/null); status=$?
[[ $status -eq 2 ]] || fail "kestro --bogus ended with $status, not 2"

"$usr/bin/kestro-sim" --port COM1 --trace >"$root/sim.log" 2>&1 &
sim=$!
if ! await "$sim" -L "$config/COM1"; then
    cat "$root/sim.log" >&2
    fail "the installed kestro-sim did not link COM1"
    exit 1
fi

"$usr/bin/kestro" >"$root/kestro.log" 2>&1 &
program=$!
# The settings file is written during start-up, after the program is ready for SIGTERM.
if await "$program" -f "$config/kestro.cfg"; then
    rm "$config/kestro.cfg"
    kill -TERM "$program"
    await "$program" ! -d /proc/"$program" || fail "the installed kestro did not close on SIGTERM"
else
    fail "the installed kestro wrote no settings at start"
fi
kill -KILL "$program" 2>/dev/null
wait "$program"
status=$?
[[ $status -eq 0 ]] || { cat "$root/kestro.log" >&2; fail "the installed kestro ended with status $status"; }
[[ -f $config/kestro.cfg ]] || fail "closing the installed kestro wrote no settings"
grep -q '^Serialport:COM1$' "$config/kestro.cfg" 2>/dev/null || fail "the settings name no COM1"
grep -q 'handshake' "$root/sim.log" || { cat "$root/sim.log" >&2; fail "kestro did not reach the simulator"; }

((failures == 0)) || exit 1
echo "installed into $root/image/usr and ran kestro-sim and kestro from there"
