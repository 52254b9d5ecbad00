#!/usr/bin/env bash
# Shows that kw_switch writes no file: neither in the folder it starts in nor in the folder of
# its exercise file. Every file system call is traced with strace:
#   1. the program itself, started in a copy of examples/serie_imposee, left running a few
#      seconds and then ended with SIGTERM (it has no command line to make it stop);
#   2. the whole program played by the monkey student of tst_monkey (row "short": the imposed
#      series to its end), with its exercise file in a folder of its own;
#   3. kw_switch --verifier on a copy of the imposed series.
# Before that the checker must catch the writes of a command that does write, so that a
# silent checker cannot pass for a clean program.
#
# usage: check.sh KW_SWITCH TST_MONKEY STRACE_WRITES EXAMPLES_DIR
# Exit status 77 (skipped) when strace is missing or may not trace here.

set -u

if [ $# -ne 4 ]; then
    echo "usage: $0 KW_SWITCH TST_MONKEY STRACE_WRITES EXAMPLES_DIR" >&2
    exit 2
fi
# Absolute paths: the commands run from other folders.
absolute() {
    (cd "$(dirname "$1")" && echo "$(pwd -P)/$(basename "$1")")
}
program=$(absolute "$1")
monkey=$(absolute "$2")
checker=$(absolute "$3")
examples=$(absolute "$4")
skip=77

if ! command -v strace > /dev/null 2>&1; then
    echo "SKIP: strace is not installed (Debian package strace)"
    exit $skip
fi

work=$(mktemp -d)
work=$(cd "$work" && pwd -P)
trap 'rm -rf "$work"' EXIT

# Only the file calls; with -y every descriptor shows its path, AT_FDCWD included.
trace=(strace -f -y -s 4096 -e 'trace=%file,fchdir')
if strace -f --seccomp-bpf -e trace=%file -o /dev/null true > /dev/null 2>&1; then
    trace+=(--seccomp-bpf) # stops only at the traced calls: much faster
fi
if ! "${trace[@]}" -o "$work/probe.log" true 2> "$work/probe.err"; then
    echo "SKIP: strace cannot trace here ($(head -n 1 "$work/probe.err"))"
    exit $skip
fi

# Caches and settings of Qt and fontconfig go to a home of their own, clearly elsewhere.
mkdir -p "$work/home" "$work/runtime" "$work/tmp"
chmod 700 "$work/runtime"
export HOME="$work/home"
export XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
export XDG_DATA_HOME="$work/home/.local/share" XDG_STATE_HOME="$work/home/.local/state"
export XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"
export QT_QPA_PLATFORM=offscreen
# LeakSanitizer cannot work under a tracer; in a KW_SANITIZE build it would fail every run.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
unset KW_MONKEY_SEED KW_MONKEY_ACTIONS KW_MONKEY_TRACE

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# Runs the checker; its status 1 means writes, 2 a trace that proves nothing.
check() {
    local what=$1
    shift
    "$checker" "$@"
    case $? in
    0) ;;
    1) fail "$what wrote a file" ;;
    *) fail "the trace of $what proves nothing" ;;
    esac
}

# Names, sizes and contents of every file of a folder.
listing() {
    (cd "$1" && find . -printf '%p %y %s\n' | LC_ALL=C sort && find . -type f -exec cat {} +) |
        cksum
}

echo "== the checker catches a command that writes"
mkdir "$work/canary"
(cd "$work/canary" && "${trace[@]}" -o "$work/canary.log" -- \
    sh -c 'echo x > written; mkdir d; mv written d/moved; rm d/moved; rmdir d')
"$checker" "$work/canary.log" --cwd "$work/canary" --watch "$work/canary" > "$work/canary.out"
status=$?
writes=$(grep -c '^WRITE' "$work/canary.out")
if [ $status -ne 1 ] || [ "$writes" -lt 6 ]; then
    cat "$work/canary.out"
    fail "the checker missed writes (status $status, $writes of 6 found)"
else
    echo "ok: $writes writes found"
fi

echo "== kw_switch started in a copy of the imposed series"
start="$work/serie_imposee"
cp -R "$examples/serie_imposee" "$start"
before=$(listing "$start")
# The shell writes its process id (outside the folder) and becomes kw_switch.
# shellcheck disable=SC2016
(cd "$start" && exec "${trace[@]}" -o "$work/program.log" -- \
    sh -c 'echo $$ > "$0"; exec "$@"' "$work/program.pid" "$program") &
tracer=$!
for _ in $(seq 100); do
    [ -s "$work/program.pid" ] && break
    sleep 0.1
done
sleep 4
pid=$(cat "$work/program.pid" 2> /dev/null)
if [ -z "$pid" ] || ! kill -0 "$pid" 2> /dev/null; then
    fail "kw_switch did not start or ended by itself"
else
    kill -TERM "$pid"
fi
wait "$tracer"
check kw_switch "$work/program.log" --cwd "$start" --watch "$start" \
    --read "$start/kw_switch.INI" --read "$start/switchexos.kw"
[ "$(listing "$start")" = "$before" ] || fail "the files of $start changed"

echo "== kw_switch --verifier checks a copy of the imposed series"
checked="$work/serie_verifiee"
cp -R "$examples/serie_imposee" "$checked"
before=$(listing "$checked")
(cd "$work" && "${trace[@]}" -o "$work/verifier.log" -- "$program" --verifier "$checked" \
    > "$work/verifier.out")
status=$?
[ $status -eq 0 ] || fail "kw_switch --verifier of the imposed series gave $status"
check "kw_switch --verifier" "$work/verifier.log" --cwd "$work" --watch "$checked" \
    --read "$checked/kw_switch.INI" --read "$checked/switchexos.kw"
[ "$(listing "$checked")" = "$before" ] || fail "the files of $checked changed"

echo "== tst_monkey plays the imposed series"
exercises="$work/exercises"
mkdir "$exercises"
cp "$examples/serie_imposee/switchexos.kw" "$exercises/"
before=$(listing "$exercises")
(cd "$work" && KW_MONKEY_EXERCISE_FOLDER="$exercises" KW_MONKEY_STRACE_MARKERS=1 \
    "${trace[@]}" -o "$work/monkey.log" -- "$monkey" monkey:short > "$work/monkey.out" 2>&1)
status=$?
if [ $status -ne 0 ]; then
    grep -v '^QWARN' "$work/monkey.out"
    fail "tst_monkey monkey:short failed (status $status)"
fi
check "the played program" "$work/monkey.log" --cwd "$work" --watch "$exercises" --marked \
    --read "$exercises/switchexos.kw"
[ "$(listing "$exercises")" = "$before" ] || fail "the files of $exercises changed"

# The same trace with one write of the program's own slipped in must not pass.
begin=$(grep -m 1 -n '/kw-strace-marker/begin' "$work/monkey.log" | cut -d: -f1)
folder=$(grep -m 1 -o '/kw-strace-marker/begin[^"]*' "$work/monkey.log" | sed 's|.*/begin||')
if [ -n "$begin" ] && [ -n "$folder" ]; then
    sed "${begin}a 1 openat(AT_FDCWD<$folder>, \"notes.txt\", O_WRONLY|O_CREAT, 0666) = 9<$folder/notes.txt>" \
        "$work/monkey.log" > "$work/doctored.log"
    if "$checker" "$work/doctored.log" --cwd "$work" --watch "$exercises" --marked \
        --read "$exercises/switchexos.kw" > /dev/null; then
        fail "the checker missed a write in the program's folder"
    else
        echo "ok: a write slipped into the trace is caught"
    fi
else
    fail "no marker of the program's folder in the trace"
fi

if [ $failed -ne 0 ]; then
    echo "Traces kept in $work.kept"
    rm -rf "$work.kept"
    cp -R "$work" "$work.kept"
    exit 1
fi
echo "PASS: no file written in the start folder or the exercise folder"
