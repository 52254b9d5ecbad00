#!/usr/bin/env bash
# Builds the Debian package of the build tree with CPack, in a folder of its own, and runs
# lintian on it: no error and no warning (information lines are shown, not counted).
# usage: lintian.sh BUILD_DIR          exit status 77 (skipped) when a tool is missing
set -u
build=$1
for tool in cpack lintian dpkg-shlibdeps file; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIP: $tool is missing (scripts/deps.sh installs it)"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" > "$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    exit 1
}
debs=("$work"/*.deb)
[ -f "${debs[0]}" ] || {
    cat "$work/cpack.log"
    exit 1
}
echo "== lintian $(basename "${debs[0]}")"
# Root is warned against, not refused: the warning is left out of the log.
lintian --display-info --fail-on error,warning "${debs[0]}" 2>&1 |
    grep -v '^running with root privileges'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && echo "PASS"
exit "$status"
