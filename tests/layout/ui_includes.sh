#!/usr/bin/env bash
# The units of ui/ (a header with its source) and what they include: dependencies run one way,
# app/ -> the dialogs (main/, stations/, hubs/, switch/) -> kit/ -> core/, and no units include
# each other, directly or round a longer cycle. And the windows keep no state of the play: none
# writes FlowState or reaches the shared state but through the game.
#   ui_includes.sh <ui folder>
set -uo pipefail
ui=$(readlink -f "$1")
cd "$ui" || exit 2

layer() { # folder/unit -> 0 kit, 1 dialogs, 2 app
    case $1 in
    kit/*) echo 0 ;;
    app/*) echo 2 ;;
    *) echo 1 ;;
    esac
}

declare -A edges
failures=0
for file in */*.h */*.cpp; do
    unit=${file%.*}
    folder=${file%%/*}
    while read -r included; do
        # Relative to the file's folder, or to ui/.
        if [ -f "$folder/$included" ]; then
            target="$folder/$included"
        elif [ -f "$included" ]; then
            target=$included
        else
            continue # core/ or a system header
        fi
        to=${target%.*}
        [ "$to" = "$unit" ] && continue
        edges[$unit]+=" $to"
        if [ "$(layer "$to")" -gt "$(layer "$unit")" ]; then
            echo "$file includes $target, against the layers (app, dialogs, kit, core)"
            failures=$((failures + 1))
        fi
        if [ "$(layer "$unit")" -eq 1 ] && [ "$(layer "$to")" -eq 1 ] &&
            [ "${to%%/*}" != "$folder" ]; then
            echo "$file includes $target: a dialog reaches another folder's dialog"
            failures=$((failures + 1))
        fi
    done < <(sed -n 's/^#include "\(.*\)".*/\1/p' "$file")
done

# Units left once every unit that includes no other left one has gone are on a cycle.
declare -A left
for unit in "${!edges[@]}"; do left[$unit]=1; done
changed=1
while [ "$changed" -eq 1 ]; do
    changed=0
    for unit in "${!left[@]}"; do
        on_cycle=0
        for to in ${edges[$unit]}; do
            [ -n "${left[$to]:-}" ] && { on_cycle=1; break; }
        done
        if [ "$on_cycle" -eq 0 ]; then
            unset "left[$unit]"
            changed=1
        fi
    done
done
for unit in "${!left[@]}"; do
    echo "$unit is on a cycle of includes; it includes${edges[$unit]}"
    failures=$((failures + 1))
done

while read -r line; do
    echo "the play's state written or reached outside the game: $line"
    failures=$((failures + 1))
done < <(grep -rnE 'FlowState *=[^=]|kw::global\(\)|[^:]global\(\)\.' --include='*.h' --include='*.cpp' .)

[ "$failures" -eq 0 ] || exit 1
echo "ui/: includes run one way"
