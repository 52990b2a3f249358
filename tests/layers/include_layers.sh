#!/usr/bin/env bash
# The folders under src/ are layers: each may include only itself and the
# layers below it. Fails naming every include that points sideways or up.
set -euo pipefail
src=${1:?source folder}

# The one table of what each layer may include.
declare -A allowed=(
    [core]="core"
    [platform]="platform core"
    [store]="store core platform"
    [ui]="ui core platform"
    [print]="print core platform"
    [handlers]="handlers ui print store core platform"
    [app]="app handlers ui print store core platform"
)

bad=0
while IFS= read -r file; do
    layer=${file#"$src"/}
    layer=${layer%%/*}
    if [[ -z "${allowed[$layer]+x}" ]]; then
        echo "$file: folder '$layer' is not a known layer"
        bad=1
        continue
    fi
    while IFS= read -r target; do
        if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
            echo "$file includes $target/, which $layer/ may not"
            bad=1
        fi
    done < <(grep -oE '^#include "[a-z]+/' "$file" | sed -E 's/#include "([a-z]+)\//\1/' | sort -u)
done < <(find "$src" -mindepth 2 -name '*.h' -o -mindepth 2 -name '*.cpp')
[[ $bad == 0 ]] && echo "every include points down"
exit $bad
