#!/usr/bin/env bash
# A long live show: runs `vintrel show --json` for HOURS on a copy of the bundled example with a
# ticking clock, a slide whose rows scroll, and a database that goes away every few minutes and
# comes back, and samples the show's resident memory and CPU every 10 s.
#
#   bench/soak.sh HOURS [BUILD_FOLDER]          e.g. bench/soak.sh 1   or   bench/soak.sh 0.1
#
# The database is PostgreSQL when it can be run here (root, the postgresql and odbc-postgresql
# packages): a cluster of its own ("vintrel_soak" on port 5433, so no other user of the test
# cluster is disturbed; SOAK_PG_CLUSTER and SOAK_PG_PORT choose another; made and dropped by the
# run when it did not exist) that is stopped for 20 s every SOAK_RESTART_MINUTES (default 4) minutes.
# Otherwise an SQLite file that is replaced (written aside, renamed over) just as often.
# SOAK_DATABASE=sqlite forces the latter.
#
# Writes to SOAK_OUT (default bench/soak/): soak.csv (one sample every 10 s), soak.png (the plot,
# by gnuplot) and summary.md (the figures and the verdicts). Checks, with a printed verdict each:
#   memory  no growth after warm-up: the median RSS of the last 5 minutes is within
#           max(1 MiB, 2 %) of the median of the 5 minutes after the first 5 (shorter runs scale
#           these windows down);
#   clock   no missed second: every clock text in the event stream is one second after the one
#           before it.
# Exit code 0 when both pass, 1 when one fails, 2 for bad usage.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

hours=${1:-}
if [[ -z $hours || ! $hours =~ ^[0-9]+([.][0-9]+)?$ ]]; then
  echo "usage: bench/soak.sh HOURS [BUILD_FOLDER]" >&2
  exit 2
fi
build=$(cd "${2:-build}" && pwd)
vintrel=$build/apps/vintrel/vintrel
out=${SOAK_OUT:-$root/bench/soak}
restart_minutes=${SOAK_RESTART_MINUTES:-4}
restart_seconds=${SOAK_RESTART_SECONDS:-$((restart_minutes * 60))}
down_seconds=${SOAK_DOWN_SECONDS:-20}
pg_cluster=${SOAK_PG_CLUSTER:-vintrel_soak}
pg_port=${SOAK_PG_PORT:-5433}
seconds=$(awk -v h="$hours" 'BEGIN { printf "%d", h * 3600 }')
(( seconds >= 60 )) || { echo "soak.sh: run for at least a minute (0.02 hours)" >&2; exit 2; }
log() { echo "soak: $*" >&2; }

# What the script itself needs, installed when missing (Debian packages).
need=(gnuplot-nox python3 sqlite3)
[[ ${SOAK_DATABASE:-} == sqlite ]] || need+=(postgresql odbc-postgresql)
missing=()
for package in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if (( ${#missing[@]} )); then
  sudo=""
  (( EUID != 0 )) && sudo="sudo"
  log "installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi
if [[ ! -x $vintrel ]]; then
  log "$vintrel is missing; build first (scripts/setup.sh)"
  exit 1
fi

scratch=$(mktemp -d /tmp/vintrel-soak.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [[ ${mode:-} == postgresql ]]; then
    pg_ctlcluster 15 "$pg_cluster" stop -m fast 2>/dev/null || true
    # A cluster this run made goes with it.
    (( created_cluster )) && { pg_dropcluster 15 "$pg_cluster" 2>/dev/null || true; }
  fi
  [[ -n ${SOAK_KEEP:-} ]] || rm -rf "$scratch"
}
trap cleanup EXIT
cp -r examples "$scratch/examples"
deck=$scratch/examples/soak.pptx
cp examples/sales-board.pptx "$deck"
export VINTREL_HOME=$scratch VINTREL_SETTINGS=$scratch/settings.ini TZ=UTC
printf '[Info]\nHideMsgBoxErrorsDuringPresentation=1\n' >"$VINTREL_SETTINGS"

# ---- The database that goes away -----------------------------------------------------------
mode=sqlite
created_cluster=0
if [[ $EUID -eq 0 ]] && command -v pg_lsclusters >/dev/null &&
    ! pg_lsclusters --no-header 2>/dev/null | awk '{print $2}' | grep -qx "$pg_cluster"; then
  created_cluster=1
fi
if [[ ${SOAK_DATABASE:-} != sqlite && $EUID -eq 0 ]] &&
    pg_line=$(PG_CLUSTER=$pg_cluster PG_PORT=$pg_port scripts/start-postgres.sh 2>"$scratch/pg.log" |
              tail -n 1) && [[ -n $pg_line ]]; then
  mode=postgresql
fi
rows_sql="DROP TABLE IF EXISTS soak_values; CREATE TABLE soak_values (id integer PRIMARY KEY,
  label text, amount integer); INSERT INTO soak_values SELECT g, 'row ' || g, g * 100
  FROM generate_series(1, 12) AS g;"
if [[ $mode == postgresql ]]; then
  port=$(echo "$pg_line" | sed -n 's/.*Port=\([0-9]*\);.*/\1/p')
  psql_soak() { PGPASSWORD=vintrel PGOPTIONS="-c client_min_messages=warning" psql -X -q -h 127.0.0.1 -p $port -U vintrel -d vintrel_test "$@"; }
  psql_soak -c "$rows_sql" >/dev/null
  connection_string=$pg_line
  db_down() { pg_ctlcluster 15 "$pg_cluster" stop -m fast; }
  db_up() { pg_ctlcluster 15 "$pg_cluster" start; }
  db_touch() { psql_soak -c "UPDATE soak_values SET amount = amount + 1 WHERE id = 1" \
      >/dev/null 2>&1 || true; }
  log "PostgreSQL cluster 15/$pg_cluster on port $port, stopped for ${down_seconds}s every ${restart_seconds} s"
else
  [[ ${SOAK_DATABASE:-} == sqlite ]] || log "PostgreSQL cannot be run here ($(tail -n 1 "$scratch/pg.log" 2>/dev/null)); using SQLite"
  db=$scratch/examples/data/soak.db
  sqlite3 "$db" "DROP TABLE IF EXISTS soak_values; CREATE TABLE soak_values (id integer PRIMARY KEY,
    label text, amount integer); WITH RECURSIVE s(g) AS (SELECT 1 UNION ALL SELECT g + 1 FROM s
    WHERE g < 12) INSERT INTO soak_values SELECT g, 'row ' || g, g * 100 FROM s;"
  connection_string="Provider=SQLite;Data Source=data/soak.db"
  # Replaced as a program that publishes a new database does it: written aside, renamed over.
  db_down() {
    cp "$db" "$db.next"
    sqlite3 "$db.next" "UPDATE soak_values SET amount = amount + 1000 WHERE id = 2"
    mv "$db.next" "$db"
  }
  db_up() { :; }
  db_touch() { sqlite3 "$db" "UPDATE soak_values SET amount = amount + 1 WHERE id = 1" 2>/dev/null || true; }
  log "SQLite file replaced every ${restart_seconds} s"
fi

# ---- The deck: the example plus a scrolling database block on slide 1 ------------------------
live=$("$vintrel" connections add "$deck" --database "$connection_string" \
  --sql "SELECT id, label, amount FROM soak_values ORDER BY id" --refresh-rate 1000 --name "Live")
"$vintrel" link "$deck" --slide 1 --shape "North orders" --text "$live" amount 1 >/dev/null
"$vintrel" link "$deck" --slide 1 --shape "East total" --text "$live" label 1 >/dev/null
"$vintrel" slide "$deck" --slide 1 --scroll "$live" --step 1 --time 2000 --enabled on >/dev/null

# ---- The show and its samples ----------------------------------------------------------------
events=$scratch/events.jsonl
log "show for ${seconds}s ($hours h); samples every 10 s"
"$vintrel" show "$deck" --json --advance manual --for "${seconds}s" >"$events" 2>"$scratch/show.err" &
show=$!
pids+=($show)

db_state=$scratch/db_state
echo 1 >"$db_state"
(
  # The database goes away and comes back; a value changes now and then while it is there.
  next=$restart_seconds
  elapsed=0
  while kill -0 "$show" 2>/dev/null; do
    sleep 10
    elapsed=$((elapsed + 10))
    if (( elapsed >= next )); then
      echo 0 >"$db_state"
      db_down >/dev/null 2>&1 || log "could not stop the database"
      sleep "$down_seconds"
      elapsed=$((elapsed + down_seconds))
      db_up >/dev/null 2>&1 || log "could not start the database"
      echo 1 >"$db_state"
      echo "$elapsed" >>"$scratch/restarts"
      next=$((next + restart_seconds))
    elif (( elapsed % 30 == 0 )); then
      db_touch
    fi
  done
) &
pids+=($!)

mkdir -p "$out"
csv=$out/soak.csv
echo "elapsed_s,rss_kib,cpu_percent,database_up" >"$csv"
ticks=$(getconf CLK_TCK)
cpu_of() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
start=$(date +%s.%N)
last_cpu=$(cpu_of "$show")
last_t=$start
while kill -0 "$show" 2>/dev/null; do
  sleep 10
  kill -0 "$show" 2>/dev/null || break
  now=$(date +%s.%N)
  cpu=$(cpu_of "$show")
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$show/status" 2>/dev/null || echo "")
  [[ -n $rss ]] || break
  awk -v s="$start" -v n="$now" -v l="$last_t" -v c="$cpu" -v lc="$last_cpu" -v t="$ticks" \
      -v r="$rss" -v up="$(cat "$db_state")" \
      'BEGIN { printf "%.0f,%d,%.2f,%d\n", n - s, r, 100 * (c - lc) / t / (n - l), up }' >>"$csv"
  last_cpu=$cpu
  last_t=$now
done
status=0
wait "$show" || status=$?
(( status == 0 )) || log "vintrel show ended with exit code $status: $(tail -n 3 "$scratch/show.err")"

# ---- Figures and verdicts --------------------------------------------------------------------
restarts=$(wc -l <"$scratch/restarts" 2>/dev/null || echo 0)
verdict=0
python3 - "$csv" "$events" "$out/summary.md" "$mode" "$hours" "$restarts" "$status" \
    "$restart_seconds" "$down_seconds" <<'PY' || verdict=$?
import csv, json, re, statistics, sys
from datetime import datetime
csv_path, events_path, summary_path, mode, hours, restarts, status, every, down = sys.argv[1:]
rows = [r for r in csv.DictReader(open(csv_path))]
t = [int(r["elapsed_s"]) for r in rows]
rss = [int(r["rss_kib"]) for r in rows]
cpu = [float(r["cpu_percent"]) for r in rows]
duration = t[-1] if t else 0
# Warm-up and windows: 5 minutes each, scaled down for runs shorter than 30 minutes.
window = min(300, max(30, duration // 6))
def median_between(a, b):
    values = [r for x, r in zip(t, rss) if a <= x < b]
    return statistics.median(values) if values else None
baseline = median_between(window, 2 * window)
final = median_between(duration - window, duration + 1)
growth = (final - baseline) if baseline is not None and final is not None else None
allowed = max(1024, 0.02 * baseline) if baseline else None
memory_ok = growth is not None and growth <= allowed
# Least-squares slope after warm-up, KiB per hour.
pts = [(x, r) for x, r in zip(t, rss) if x >= window]
slope = None
if len(pts) > 2:
    mx = sum(x for x, _ in pts) / len(pts); my = sum(r for _, r in pts) / len(pts)
    den = sum((x - mx) ** 2 for x, _ in pts)
    slope = sum((x - mx) * (r - my) for x, r in pts) / den * 3600 if den else 0.0

clock_re = re.compile(r"^\s*(\d{1,2}):(\d{2}):(\d{2})\s*([AaPp][Mm])?\s*$")
ticks, missed, repeated, late_ms, counts = [], 0, 0, [], {}
for line in open(events_path, encoding="utf-8", errors="replace"):
    try:
        e = json.loads(line)
    except ValueError:
        continue
    counts[e.get("event")] = counts.get(e.get("event"), 0) + 1
    if e.get("event") != "text" or e.get("name") != "Clock":
        continue
    m = clock_re.match(e.get("new", ""))
    if not m:
        continue
    h, mi, s = int(m.group(1)), int(m.group(2)), int(m.group(3))
    if m.group(4):
        h = h % 12 + (12 if m.group(4).lower() == "pm" else 0)
    shown = h * 3600 + mi * 60 + s
    stamp = datetime.strptime(e["time"], "%Y-%m-%dT%H:%M:%S.%fZ")
    at = stamp.hour * 3600 + stamp.minute * 60 + stamp.second + stamp.microsecond / 1e6
    late_ms.append(((at - shown) % 86400) * 1000)
    if ticks:
        step = (shown - ticks[-1]) % 86400
        if step == 0:
            repeated += 1
        elif step > 1:
            missed += step - 1
    ticks.append(shown)
clock_ok = len(ticks) > 0 and missed == 0 and int(status) == 0
late_sorted = sorted(late_ms)
def pct(p):
    return late_sorted[min(len(late_sorted) - 1, int(p * len(late_sorted)))] if late_sorted else 0

lines = [
    "# Soak run",
    "",
    f"- duration: {duration} s ({float(hours):g} h asked), {len(rows)} samples every 10 s",
    f"- database: {mode}, " + ("stopped" if mode == "postgresql" else "replaced") +
    f" every {int(every) // 60} min {int(every) % 60} s" + (f" for {down} s" if mode == "postgresql" else "") +
    f" ({restarts} times); events: " + ", ".join(f"{k} {v}" for k, v in sorted(counts.items())),
    f"- `vintrel show` exit code: {status}",
    "",
    "| figure | value |",
    "|---|---|",
    f"| RSS first sample | {rss[0] / 1024:.1f} MiB |" if rss else "| RSS | none |",
    f"| RSS median {window}-{2 * window} s (baseline) | {baseline / 1024:.2f} MiB |" if baseline else "| baseline | none |",
    f"| RSS median of the last {window} s | {final / 1024:.2f} MiB |" if final else "| final | none |",
    f"| growth after warm-up | {growth:+.0f} KiB (allowed {allowed:.0f} KiB) |" if growth is not None else "| growth | none |",
    f"| RSS trend after warm-up | {slope:+.0f} KiB/hour |" if slope is not None else "| trend | none |",
    f"| RSS max | {max(rss) / 1024:.2f} MiB |" if rss else "| max | none |",
    f"| CPU mean / max (10 s samples) | {statistics.mean(cpu):.2f} % / {max(cpu):.2f} % of one core |" if cpu else "| CPU | none |",
    f"| clock seconds shown | {len(ticks)} |",
    f"| missed clock seconds | {missed} |",
    f"| clock second shown twice | {repeated} |",
    f"| clock text after its second began: median / 99 % / max | {pct(0.5):.0f} / {pct(0.99):.0f} / {pct(1.0) if late_sorted else 0:.0f} ms |",
    "",
    f"**memory: {'PASS' if memory_ok else 'FAIL'}** — " +
    ("no growth after warm-up" if memory_ok else "RSS grew after warm-up"),
    "",
    f"**clock: {'PASS' if clock_ok else 'FAIL'}** — " +
    (f"{len(ticks)} seconds, none missed" if clock_ok else f"{missed} missed of {len(ticks)}"),
    "",
]
open(summary_path, "w").write("\n".join(lines))
print("\n".join(lines))
sys.exit(0 if memory_ok and clock_ok else 1)
PY

gnuplot <<GP || log "gnuplot failed; no plot"
set terminal png size 1000,500 font ",10"
set output "$out/soak.png"
set datafile separator ","
set title "vintrel show soak ($mode database, ${hours} h): resident memory and CPU, every 10 s"
set xlabel "minutes"
set ylabel "RSS (MiB)"
set y2label "CPU (% of one core)"
set y2tics
set ytics nomirror
set yrange [0:*]
set y2range [0:*]
set key top right
set grid
plot "$csv" using (\$1/60):(\$2/1024) every ::1 with lines lw 2 title "RSS (MiB)", \
     "$csv" using (\$1/60):3 every ::1 axes x1y2 with lines lc rgb "#999999" title "CPU (%)", \
     "$csv" using (\$1/60):(\$4 == 0 ? 0 : 1/0) every ::1 with points pt 7 ps 0.6 lc rgb "red" title "database away"
GP
log "wrote $csv, $out/soak.png, $out/summary.md"
exit $verdict
