#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own, or when platform
# conditionals appear outside src/platform/. The layers, top to bottom, are drawn in
# docs/architecture.md; each folder may include its own headers and those of the folders listed.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [platform]="platform"
    [ui]="ui platform"
    [pathlist]="pathlist platform"
    [rules]="rules platform"
    [context]="context ui platform"
    [discovery]="discovery context rules pathlist ui platform"
    [cleaning]="cleaning context rules pathlist ui platform"
    [menu]="menu cleaning discovery context rules pathlist ui platform"
    [run]="run menu cleaning discovery context rules pathlist ui platform"
)

status=0
for folder in src/*/; do
    layer=$(basename "$folder")
    if [[ -z ${allowed[$layer]+set} ]]; then
        echo "src/$layer: a folder the layer list does not know" >&2
        status=1
        continue
    fi
    while IFS=: read -r file line included; do
        target=${included#*\"}
        target=${target%%/*}
        if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
            echo "$file:$line: src/$layer may not include $target/" >&2
            status=1
        fi
    done < <(grep -rn --include='*.h' --include='*.cpp' '^#include "' "$folder" || true)
done

if grep -rln --include='*.h' --include='*.cpp' '_WIN32' src | grep -v '^src/platform/'; then
    echo "platform conditionals belong under src/platform/" >&2
    status=1
fi
exit $status
