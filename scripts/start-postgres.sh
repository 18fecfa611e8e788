#!/usr/bin/env bash
# Starts the local PostgreSQL server for the data-access tests and prepares their database.
# Safe to run again: whatever is already there is kept or refreshed.
#
# Run as root on Debian 12 with the postgresql package installed. Starts cluster 15/main on
# 127.0.0.1 (creating it when missing), creates the role "vintrel" (password "vintrel") and its
# database "vintrel_test" with a few sample tables, and prints the ODBC connection string the
# tests read from VINTREL_TEST_PG:
#   export VINTREL_TEST_PG="$(scripts/start-postgres.sh | tail -n 1)"
set -euo pipefail

version="${PG_VERSION:-15}"
cluster="${PG_CLUSTER:-main}"
port="${PG_PORT:-5432}"

log() { echo "start-postgres: $*" >&2; }

if [[ $(id -u) -ne 0 ]]; then
  log "run me as root"
  exit 1
fi
if ! command -v pg_ctlcluster > /dev/null || [[ ! -x /usr/lib/postgresql/$version/bin/postgres ]]; then
  log "PostgreSQL $version is not installed (apt-get install postgresql)"
  exit 1
fi
if ! odbcinst -q -d -n "PostgreSQL Unicode" > /dev/null 2>&1; then
  log "the PostgreSQL ODBC driver is not registered (apt-get install odbc-postgresql)"
  exit 1
fi

if ! pg_lsclusters --no-header | awk '{print $1" "$2}' | grep -qx "$version $cluster"; then
  log "creating cluster $version/$cluster on port $port"
  pg_createcluster "$version" "$cluster" --port "$port" > /dev/null
fi
port="$(pg_lsclusters --no-header | awk -v v="$version" -v c="$cluster" '$1==v && $2==c {print $3}')"
if ! pg_lsclusters --no-header | awk -v v="$version" -v c="$cluster" '$1==v && $2==c {print $4}' |
    grep -q online; then
  log "starting cluster $version/$cluster"
  pg_ctlcluster "$version" "$cluster" start
fi
for _ in $(seq 1 60); do
  pg_isready -q -h 127.0.0.1 -p "$port" && break
  sleep 0.5
done
if ! pg_isready -q -h 127.0.0.1 -p "$port"; then
  log "the server does not answer on 127.0.0.1:$port"
  exit 1
fi

as_postgres() { runuser -u postgres -- psql -X -q -v ON_ERROR_STOP=1 -p "$port" "$@"; }

as_postgres -d postgres <<'SQL'
DO $$
BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'vintrel') THEN
    CREATE ROLE vintrel LOGIN PASSWORD 'vintrel';
  ELSE
    ALTER ROLE vintrel LOGIN PASSWORD 'vintrel';
  END IF;
END
$$;
SQL
if [[ -z "$(as_postgres -d postgres -tA -c "SELECT 1 FROM pg_database WHERE datname = 'vintrel_test'")" ]]; then
  as_postgres -d postgres -c "CREATE DATABASE vintrel_test OWNER vintrel"
fi

# Sample data the tests read; rebuilt each time so it is always as the tests expect.
PGPASSWORD=vintrel PGOPTIONS="-c client_min_messages=warning" psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U vintrel -d vintrel_test <<'SQL'
DROP VIEW IF EXISTS big_sales;
DROP FUNCTION IF EXISTS sales_of(text);
DROP TABLE IF EXISTS sales;
DROP TABLE IF EXISTS "odd ""name"" x";
CREATE TABLE sales (
  region text,
  amount numeric(10, 3),
  ratio double precision,
  qty integer,
  sold date,
  sold_at timestamp,
  opens time,
  photo bytea,
  note text
);
INSERT INTO sales VALUES
  ('north', 2.5, 0.1, 10, '2026-12-31', '2026-12-31 16:00:00', '16:00:00', '\x00ab', NULL),
  ('south', 3, 2.5, -3, '2027-01-02', '2027-01-02 08:30:15.25', '08:30:00', NULL, 'Zürich');
CREATE VIEW big_sales AS SELECT region, qty FROM sales WHERE qty > 0;
CREATE OR REPLACE FUNCTION sales_of(wanted text) RETURNS SETOF sales
  LANGUAGE sql STABLE AS $$ SELECT * FROM sales WHERE region = wanted $$;
CREATE TABLE "odd ""name"" x" (v text);
INSERT INTO "odd ""name"" x" VALUES ('found');
SQL

log "PostgreSQL $version/$cluster is ready on 127.0.0.1:$port"
echo "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=vintrel_test;Uid=vintrel;Pwd=vintrel;"
