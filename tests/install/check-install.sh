#!/bin/sh
# Installs the build into a temporary prefix, checks that every file sits where
# desktops, man and the package tools look for it and that the pieces name each
# other, then starts the menu entry's command as the current user (root in CI,
# who may write anywhere) and checks that the settings land in that user's
# configuration folder and nothing is written under the prefix.
# Usage: check-install.sh BUILD_DIR APP_ID VERSION
set -eu

build=$1
id=$2
version=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
pid=
cleanup() {
    [ -z "$pid" ] || [ "$pid" -le 0 ] || kill -KILL "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

desktop=$prefix/share/applications/$id.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/$id.svg
metainfo=$prefix/share/metainfo/$id.metainfo.xml
manual=$prefix/share/man/man1/chimebox.1.gz
doc=$prefix/share/doc/chimebox
[ -x "$prefix/bin/chimebox" ] || fail "no executable bin/chimebox"
for file in "$desktop" "$icon" "$metainfo" "$manual" "$doc/copyright" "$doc/changelog.gz"; do
    [ -f "$file" ] || fail "not installed: ${file#"$prefix"/}"
done

# A desktop shows the entry's icon by name and links the metainfo to the entry.
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "the entry's Icon is not $id"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the metainfo has no release $version"
gzip -dc "$doc/changelog.gz" | head -n 1 | grep -q "^chimebox ($version) " ||
    fail "the changelog's latest entry is not $version"

# The menu entry's command, found on PATH as a desktop finds it.
command=$(sed -n 's/^Exec=//p' "$desktop")
[ "$(PATH=$prefix/bin command -v "$command")" = "$prefix/bin/chimebox" ] ||
    fail "Exec=$command does not start the installed program"

# The prefix can be written, as /usr/bin can by root and ~/.local/bin by its
# owner: an installed copy still writes nothing there.
find "$prefix" | sort >"$work/installed"
home=$work/home
mkdir "$home"
mkdir -m 700 "$home/run"
env -i HOME="$home" XDG_RUNTIME_DIR="$home/run" PATH="$prefix/bin:/usr/bin:/bin" LANG=C.UTF-8 \
    QT_QPA_PLATFORM=offscreen "$command" &
pid=$!

# SIGTERM saves like a close once the program has taken it over (it shows as
# caught in /proc); before that it would simply end the process.
caught() {
    mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || return 1
    [ $((0x${mask:-0} & 0x4000)) -ne 0 ]
}
tries=0
until caught; do
    tries=$((tries + 1))
    [ $tries -le 300 ] || fail "the program did not start within 30 s"
    kill -0 "$pid" 2>/dev/null || fail "the program ended at start"
    sleep 0.1
done
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ $status -eq 0 ] || fail "the program exited with status $status after SIGTERM"

[ -f "$home/.config/chimebox/chimebox.ini" ] ||
    fail "no settings in ~/.config/chimebox: $(ls -A "$home/.config/chimebox" 2>&1)"
find "$prefix" | sort >"$work/after"
cmp -s "$work/installed" "$work/after" ||
    fail "written under the prefix: $(comm -13 "$work/installed" "$work/after")"
echo "installed tree and settings folder OK"
