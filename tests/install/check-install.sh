#!/usr/bin/env bash
# The installed program as a distribution ships it: `cmake --install` into a temporary prefix,
# the files of a desktop program checked and validated, then the .deb built with cpack and its
# contents and control fields checked with dpkg-deb.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1
source=$2
version=$3
id=org.keyrill.Keyrill

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { [[ -e "$prefix/$1" ]] || fail "not installed: $1"; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log" >&2
    exit 1
}

# The program, and that it runs from where it was installed.
[[ -x $prefix/bin/keyrill ]] || fail "bin/keyrill is missing or not executable"
[[ $(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/keyrill" --version) == "Keyrill $version" ]] ||
    fail "the installed program does not answer --version with Keyrill $version"
# Its modules (MIDI, loaded at the first MIDI call; the remote's, when it is first on) beside
# each other, found from there.
for module in keyrill-midi keyrill-remote; do
    [[ -f $prefix/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || echo lib)/keyrill/$module.so ||
       -f $prefix/lib/keyrill/$module.so ]] || fail "the module $module is not installed"
done
midi_err=$(env -u DISPLAY -u WAYLAND_DISPLAY JACK_NO_START_SERVER=1 KEYRILL_MIDI_API=jack \
    "$prefix/bin/keyrill" --list-outputs 2>&1 >/dev/null || true)
[[ $midi_err != *"could not be loaded"* ]] || fail "the installed program lacks its MIDI module: $midi_err"

# Desktop entry: valid, naming the installed program and an installed icon.
desktop=share/applications/$id.desktop
need "$desktop"
desktop-file-validate "$prefix/$desktop" || fail "desktop-file-validate rejects $desktop"
grep -qx 'Exec=keyrill' "$prefix/$desktop" || fail "the desktop entry does not start keyrill"
grep -qx "Icon=$id" "$prefix/$desktop" || fail "the desktop entry's icon is not $id"
grep -qx 'Categories=AudioVideo;Audio;Midi;' "$prefix/$desktop" || fail "wrong categories"

# Icons: a PNG of each size, each really that size, and the scalable SVG.
for size in 16 32 64 256; do
    png=share/icons/hicolor/${size}x${size}/apps/$id.png
    need "$png"
    file -b "$prefix/$png" | grep -q "^PNG image data, $size x $size," ||
        fail "$png is not a $size x $size PNG: $(file -b "$prefix/$png")"
done
svg=share/icons/hicolor/scalable/apps/$id.svg
need "$svg"
file -b "$prefix/$svg" | grep -q 'SVG' || fail "$svg is not an SVG image"

# AppStream metainfo: valid, launching the desktop entry, its screenshot a file of this
# repository.
metainfo=share/metainfo/$id.metainfo.xml
need "$metainfo"
appstreamcli validate --no-net "$prefix/$metainfo" >"$work/appstream.log" 2>&1 || {
    cat "$work/appstream.log" >&2
    fail "appstreamcli rejects $metainfo"
}
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$prefix/$metainfo" || fail "no release $version"
shot=$(sed -n 's|.*<image>.*/raw/[^/]*/\(.*\)</image>.*|\1|p' "$prefix/$metainfo")
[[ -n $shot ]] || fail "the metainfo has no screenshot of a repository file"
[[ -n $shot ]] && { file -b "$source/$shot" | grep -q '^PNG image data' ||
    fail "the screenshot $shot is not a PNG in the repository"; }

# Man page: compressed, formats without warnings, documents the command line and the files.
man=share/man/man1/keyrill.1.gz
need "$man"
if [[ -e $prefix/$man ]]; then
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$prefix/$man" \
                   2>&1 >"$work/man.txt") || fail "man cannot format $man"
    [[ -z $warnings ]] || fail "man warns about $man: $warnings"
    for text in --help --version --list-outputs KEYRILL_MIDI_API '~/.config/keyrill/keyrill.ini' \
                FILES ENVIRONMENT "EXIT STATUS"; do
        grep -qF -- "$text" <(col -bx <"$work/man.txt") || fail "the man page lacks $text"
    done
fi

# The .deb: its name, control fields, run-time dependencies from the binary, and the same files
# as the install tree.
arch=$(dpkg --print-architecture)
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    exit 1
}
deb=$work/package/keyrill_${version}_${arch}.deb
if [[ ! -f $deb ]]; then
    fail "cpack did not make keyrill_${version}_${arch}.deb: $(ls "$work/package")"
else
    field() { dpkg-deb -f "$deb" "$1"; }
    [[ $(field Package) == keyrill ]] || fail "Package: $(field Package)"
    [[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
    [[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture)"
    [[ $(field Section) == sound ]] || fail "Section: $(field Section)"
    [[ $(field Maintainer) =~ ^.+\ \<.+@.+\>$ ]] || fail "Maintainer: $(field Maintainer)"
    [[ -n $(field Description) ]] || fail "no Description"
    depends=$(field Depends)
    for lib in libqt6widgets6 libqt6gui6 libqt6core6 librtmidi6 libstdc++6 libc6 \
               qt6-qpa-plugins; do
        [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] ||
            fail "Depends lacks $lib: $depends"
    done
    (cd "$prefix" && find . -type f | sed 's|^\./|./usr/|' | sort) >"$work/tree.txt"
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$work/deb.txt"
    diff -u "$work/tree.txt" "$work/deb.txt" >&2 || fail "the .deb holds other files than the install"
fi

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install: $(wc -l <"$work/tree.txt") files installed and packaged in $(basename "$deb"), validators pass"
