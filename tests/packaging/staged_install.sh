#!/usr/bin/env bash
# Installs the build tree into a folder of its own, as "cmake --install --prefix ~/.local"
# would, and checks what a desktop makes of it with the freedesktop tools:
#   - a series' kw_switch.INI, in any letter case, has the series MIME type, and other
#     files do not;
#   - the desktop entry opens that type (xdg-mime query default), takes the file as
#     argument (%f), and without a file starts in the installed random series;
#   - desktop-file-validate and appstreamcli find nothing to say; the component id is the
#     entry's name.
# usage: staged_install.sh BUILD_DIR          exit status 77 (skipped) when a tool is missing
set -u
build=$1
for tool in update-mime-database update-desktop-database xdg-mime gio desktop-file-validate \
    appstreamcli; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIP: $tool is missing (scripts/deps.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || {
    cat "$work/install.log"
    exit 1
}
share="$prefix/share"
entries=("$share"/applications/*.desktop)
[ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || {
    echo "FAIL: not one desktop entry: ${entries[*]}"
    exit 1
}
entry=${entries[0]}
id=$(basename "$entry" .desktop)
echo "desktop entry: $id.desktop"

# A desktop that sees only the staged tree and the system's own types. xdg-mime asks gio
# under GNOME; its generic way uses file(1), which knows no file names.
mkdir -p "$work/home" "$work/config-dirs"
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CONFIG_HOME="$work/home/.config" XDG_CONFIG_DIRS="$work/config-dirs"
export XDG_DATA_DIRS="$share:/usr/share" XDG_CURRENT_DESKTOP=GNOME
unset XDG_MENU_PREFIX

# What the package's triggers do on a real system.
update-mime-database "$share/mime" || fail "update-mime-database"
update-desktop-database "$share/applications" || fail "update-desktop-database"


series_type=$(sed -n 's/^MimeType=\([^;]*\);$/\1/p' "$entry")
[ -n "$series_type" ] || fail "the entry declares no single MimeType"
# name | is it a series' configuration file?
while IFS='|' read -r name expected; do
    mkdir -p "$work/files/$name.d"
    file="$work/files/$name.d/$name"
    printf '[parametres]\r\nquestions=.\r\n' > "$file"
    type=$(xdg-mime query filetype "$file")
    if [ "$expected" = yes ] && [ "$type" != "$series_type" ]; then
        fail "$name has type '$type', not $series_type"
    elif [ "$expected" = no ] && [ "$type" = "$series_type" ]; then
        fail "$name has the series type"
    fi
done << 'NAMES'
kw_switch.INI|yes
kw_switch.ini|yes
KW_SWITCH.INI|yes
Kw_Switch.Ini|yes
switchexos.kw|no
autre.ini|no
kw_switch.ini.bak|no
NAMES

default=$(xdg-mime query default "$series_type")
[ "$default" = "$id.desktop" ] || fail "the default for $series_type is '$default', not $id.desktop"

# The entry takes the file; without one it starts where the random series is.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
program=${exec_line%% *}
[ "$exec_line" = "$program %f" ] || fail "Exec=$exec_line does not take one file"
[ -x "$program" ] || fail "Exec names $program, which is not installed"
path=$(sed -n 's/^Path=//p' "$entry")
[ -f "$path/kw_switch.INI" ] || fail "Path=$path holds no series"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version) ||
    fail "$program --version failed"
echo "installed program: $version"

desktop-file-validate "$entry" || fail "desktop-file-validate"
metainfo="$share/metainfo/$id.metainfo.xml"
[ -f "$metainfo" ] || fail "no $id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<id>$id</id>" "$metainfo" || fail "the component id is not $id"

[ $failed -eq 0 ] && echo "PASS"
exit $failed
