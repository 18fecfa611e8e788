#!/usr/bin/env bash
# Fails when a file under src/ includes a layer above its own. The layers, top to bottom:
#
#   shell > runtime, offline, dialogs > document > rendering > connections > support > host
#
# runtime, offline and dialogs stand side by side; of them only offline may include runtime (the
# off-line copy drives the runtime's model), as their libraries link. src/host/ holds interfaces
# and includes nothing below it; src/host/common/ (code the stand-ins share) includes only
# src/host/; a stand-in src/host/<name>/ includes src/host/, src/host/common/ and itself. The
# add-in's layers may use src/host/common/ but none of the stand-ins.
# Usage: check-layering.sh [SOURCE_DIR]   (the repository; default: this script's parent)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root/src"

declare -A rank=([host]=0 [support]=1 [connections]=2 [rendering]=3 [document]=4
  [runtime]=5 [offline]=5 [dialogs]=5 [shell]=6)
declare -A sideways=([offline:runtime]=1)

# The layer of a path below src/: its first folder, or host/<name> for a stand-in.
layer() {
  local first=${1%%/*} rest=${1#*/}
  if [[ $first == host && $rest == */* ]]; then
    echo "host/${rest%%/*}"
  else
    echo "$first"
  fi
}

# Whether layer $1 may include layer $2.
allowed() {
  local from=$1 to=$2
  [[ $from == "$to" ]] && return 0
  [[ $from == host/common ]] && { [[ $to == host ]]; return; }
  [[ $to == host/common ]] && { [[ $from != host ]]; return; }
  [[ $to == host/* ]] && return 1
  [[ $from == host/* ]] && { [[ $to == host ]]; return; }
  [[ -n ${sideways[$from:$to]:-} ]] && return 0
  ((${rank[$to]} < ${rank[$from]}))
}

status=0
while IFS= read -r -d '' file; do
  from=$(layer "$file")
  if [[ $from != host/* && -z ${rank[$from]:-} ]]; then
    echo "src/$file: src/${from}/ has no place in the layer order (add it to scripts/check-layering.sh)"
    status=1
    continue
  fi
  while IFS=: read -r line included; do
    # Only includes of src/ itself count (not generated or system headers).
    [[ -e $included ]] || continue
    to=$(layer "$included")
    if [[ $to != host/* && -z ${rank[$to]:-} ]]; then
      echo "src/$file:$line: includes $included, whose folder has no place in the layer order"
      status=1
    elif ! allowed "$from" "$to"; then
      echo "src/$file:$line: $from includes $included, a layer it may not use"
      status=1
    fi
  done < <(grep -nE '^\s*#\s*include\s*["<][^">]+[">]' "$file" |
    sed -E 's/^([0-9]+):[^"<]*["<]([^">]+)[">].*/\1:\2/' || true)
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.hpp' -o -name '*.inc' \) -printf '%P\0' | sort -z)

# The program reaches the add-in through the shell: apps/ includes shell/ and host/ only.
while IFS= read -r -d '' file; do
  while IFS=: read -r line included; do
    first=${included%%/*}
    [[ $included == */* && -n ${rank[$first]:-} ]] || continue
    if [[ $first != shell && $first != host ]]; then
      echo "apps/$file:$line: includes $included; the program reaches the add-in through shell/"
      status=1
    fi
  done < <(grep -nE '^\s*#\s*include\s*"[^"]+"' "../apps/$file" |
    sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/' || true)
done < <(cd ../apps && find . -type f \( -name '*.h' -o -name '*.cpp' \) -printf '%P\0' | sort -z)

# Services are handed down in the add-in's context: nothing looks them up process-wide, and no
# add-in layer quietly falls back on the machine's own clock when a service is missing.
if grep -rnE '\b(Services|Module|ResetModuleState)\(\)' . ../tests --include='*.h' --include='*.cpp' \
  | grep -v '^\S*:\s*//'; then
  echo "the lines above look services up process-wide; hand the context down instead"
  status=1
fi
if grep -rnE 'system_clock::now\(\)' support connections rendering document runtime offline dialogs shell \
  | grep -v '^\S*:\s*//'; then
  echo "the lines above read the machine's clock; the add-in's clock is ctx.services.clock"
  status=1
fi

if ((status == 0)); then echo "every include in src/ points down the layers; apps/ reaches the add-in through the shell; no service is looked up process-wide"; fi
exit $status
