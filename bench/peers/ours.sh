#!/usr/bin/env bash
# Vintrel in the peer benchmark (the harness's OURS_CMD):
#   ours.sh fill IN.pptx DATA.tsv OUT.pptx   links every "Box k" text box of IN to DATA by the
#       harness's rule (slide s, box k: data row (s*K + k) mod R, column k mod C; 0-based, the
#       TSV's first line names the columns), then writes the off-line copy OUT
#   ours.sh copy IN.pptx OUT.pptx            vintrel save -o OUT
# Both parts of fill are timed and printed on stderr as
#   "ours fill: link=S s / M MiB, offline=S s / M MiB"
# (wall seconds and peak resident memory of each vintrel run). VINTREL names the program
# (default: build/apps/vintrel/vintrel of this tree).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
vintrel="${VINTREL:-$here/../../build/apps/vintrel/vintrel}"
export VINTREL_SETTINGS="${VINTREL_SETTINGS:-/nonexistent/vintrel-settings.ini}"

# Runs a command under GNU time; appends "seconds MiB" of it to the file $1.
timed() {
  local record="$1"; shift
  local stats; stats="$(mktemp)"
  /usr/bin/time -f '%e %M' -o "$stats" "$@"
  awk '{printf "%s %.0f\n", $1, $2 / 1024}' "$stats" >> "$record"
  rm -f "$stats"
}

case "${1:-}" in
  fill)
    [ $# -eq 4 ] || { echo "usage: ours.sh fill IN DATA OUT" >&2; exit 2; }
    in="$2"; data="$(realpath "$3")"; out="$4"
    work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
    deck="$work/deck.pptx"; links="$work/links.tsv"
    cp "$in" "$deck"
    start=$(date +%s.%N)
    connection="$("$vintrel" connections add "$deck" --text "$data" --first-row-names | tr -d '\r\n')"
    # The LINKS.tsv of the harness's rule: K is the number of "Box" shapes on each slide.
    python3 - "$deck" "$data" "$connection" > "$links" <<'PY'
import re, sys, zipfile, posixpath
import xml.etree.ElementTree as ET
deck, data, connection = sys.argv[1:4]
P = "{http://schemas.openxmlformats.org/presentationml/2006/main}"
R = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
PR = "{http://schemas.openxmlformats.org/package/2006/relationships}"
with open(data, encoding="utf-8") as f:
    header = f.readline().rstrip("\r\n").split("\t")
    rows = sum(1 for line in f if line.rstrip("\r\n"))
with zipfile.ZipFile(deck) as z:
    pres = ET.fromstring(z.read("ppt/presentation.xml"))
    rels = ET.fromstring(z.read("ppt/_rels/presentation.xml.rels"))
    target = {r.get("Id"): r.get("Target") for r in rels.iter(PR + "Relationship")}
    out = ["slide\tshape\tkind\tconnection\tcolumn\trow"]
    for s, sid in enumerate(pres.iter(P + "sldId")):
        part = posixpath.normpath("ppt/" + target[sid.get(R + "id")])
        names = [c.get("name") for c in ET.fromstring(z.read(part)).iter(P + "cNvPr")]
        boxes = [int(m.group(1)) for m in (re.match(r"^Box (\d+)$", n or "") for n in names) if m]
        for k in boxes:
            row = (s * len(boxes) + k) % rows + 1
            out.append("%d\tBox %d\ttext\t%s\t%s\t%d" % (s + 1, k, connection, header[k % len(header)], row))
print("\n".join(out))
PY
    record="$work/times"
    timed "$record" "$vintrel" link "$deck" --from "$links"
    linked=$(date +%s.%N)
    timed "$record" "$vintrel" offline "$deck" -o "$out"
    done_at=$(date +%s.%N)
    read -r link_s link_mib < <(sed -n 1p "$record")
    read -r offline_s offline_mib < <(sed -n 2p "$record")
    awk -v a="$start" -v b="$linked" -v c="$done_at" -v ls="$link_s" -v lm="$link_mib" \
      -v om="$offline_mib" 'BEGIN {
        printf "ours fill: link=%.2f s (vintrel link %s s / %s MiB), offline=%.2f s / %s MiB\n",
          b - a, ls, lm, c - b, om }' >&2
    ;;
  copy)
    [ $# -eq 3 ] || { echo "usage: ours.sh copy IN OUT" >&2; exit 2; }
    "$vintrel" save "$2" -o "$3"
    ;;
  *)
    echo "usage: ours.sh fill IN DATA OUT | copy IN OUT" >&2
    exit 2
    ;;
esac
