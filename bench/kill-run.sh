#!/usr/bin/env bash
# The long process-kill run: a child process posts, edits and deletes rows of a table on the
# real file system and is killed with SIGKILL at random moments, thousands of times; after
# each kill the table is reopened and every reported change must be there.
#   bench/kill-run.sh [kills]     (default 5000; FERNGROVE_KILL_SEED=n repeats the changes,
#                                 FERNGROVE_KILL_BUILD=folder builds elsewhere than build/kill)
# Prints how many kills the table survived; exits non-zero on the first loss.
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-5000}
dir=${FERNGROVE_KILL_BUILD:-build/kill}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target table_tst_kill table_killchild >/dev/null
log="$dir/kill-run.log"
if FERNGROVE_KILLS=$kills QT_QPA_PLATFORM=offscreen "$dir/tests/table/table_tst_kill" >"$log" 2>&1; then
  grep -oE 'survived .*' "$log"
else
  grep -E 'FAIL|kill seed|Loc:' "$log" || tail -n 40 "$log"
  echo "kill run FAILED (log: $log)"
  exit 1
fi
