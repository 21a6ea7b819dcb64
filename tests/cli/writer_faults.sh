#!/bin/bash
# The writers under faults: annotate (-o, a copy with nothing to solve), convert both ways and
# hand-records, each over an existing target that is read-only or has hard links, on a full disk
# (a small tmpfs, else ulimit -f), under a file size limit, into a read-only folder, with signals
# sent at random moments, and with the input changed during the run. After every run the target is either the original or the
# whole new file, and nothing is left beside it; after kill -9 the next run removes what was left
# and says so.
# Usage: writer_faults.sh KARVELON_CLI EXAMPLES_DIR [ROUNDS]   (ROUNDS of signals per writer, 8)
set -u
set -m  # background jobs get their own process group and keep SIGINT
cli=$(realpath "$1")
examples=$(realpath "$2")
rounds=${3:-8}
dir=$(mktemp -d)
mounts=()
cleanup() {
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  chmod -R u+w "$dir"
  rm -rf "$dir"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# --- inputs large enough that a signal or a change lands during the run ---
mkdir "$dir/in"
for _ in $(seq 300); do sed 1d "$examples/club-36.pbn"; done > "$dir/in/big.pbn"
for _ in $(seq 30); do sed 1d "$examples/club-36.pbn"; done > "$dir/in/boards.pbn"
"$cli" convert "$dir/in/big.pbn" -o "$dir/in/big.lin" > /dev/null || fail "making big.lin"
# Every game holds the four tags already: annotate -o only copies, without solving.
{
  echo "% PBN 2.1"
  sed 1d "$examples/club-36.pbn" | sed '/^\[Deal /a [OptimumScore "NS 0"]\n[ParContract "Pass"]\n[DoubleDummyTricks "00000000000000000000"]\n[OptimumResultTable "Declarer;Denomination\\2R;Result\\2R"]'
  for _ in $(seq 100); do
    sed 1d "$examples/club-36.pbn" | sed '/^\[Deal /a [OptimumScore "NS 0"]\n[ParContract "Pass"]\n[DoubleDummyTricks "00000000000000000000"]\n[OptimumResultTable "Declarer;Denomination\\2R;Result\\2R"]'
  done
} > "$dir/in/annotated.pbn"

# The writers: name, input, target's name, extra options.
writers=(
  "annotate|annotated.pbn|out.pbn|--dd --pbn 2.1"
  "convert|big.pbn|out.lin|"
  "convert|big.lin|back.pbn|"
  "hand-records|boards.pbn|out.pdf|--no-dd --every-table"
)
# Runs writer $1 into folder $2; extra arguments follow. Output in $dir/out, $dir/err. In a
# background job with exec_run set, the job's process is the writer itself, so that waiting for
# it waits until the writer is gone.
run() {
  local IFS='|'
  read -r command input target options <<< "$1"
  local folder=$2
  shift 2
  unset IFS
  # shellcheck disable=SC2086
  if [ -n "${exec_run:-}" ]; then
    exec "$cli" $command "$dir/in/$input" -o "$folder/$target" $options "$@" > "$dir/out" 2> "$dir/err"
  fi
  "$cli" $command "$dir/in/$input" -o "$folder/$target" $options "$@" > "$dir/out" 2> "$dir/err"
}
target_of() { echo "$1" | cut -d'|' -f3; }
# The names in folder $1 but the target: none may be there.
beside() { find "$1" -mindepth 1 -maxdepth 1 ! -name "$2" -printf '%f\n'; }
# Whether file $1 is the whole of the new file $2. A PDF is not the same bytes twice (its time,
# the order of its fonts): it is whole when it ends as a PDF ends and holds the same text.
same() {
  case $2 in
    *.pdf)
      [ "$(tail -c 6 "$1" | tr -d '\n')" = "%%EOF" ] || return 1
      ! command -v pdftotext > /dev/null || cmp -s <(pdftotext "$1" - 2>&1) <(pdftotext "$2" - 2>&1) ;;
    *) cmp -s "$1" "$2" ;;
  esac
}
# Target $2 in folder $1 is "old" or the whole new file $3, and nothing is beside it.
check_target() {
  local what=$4
  if ! same "$1/$2" "$3" && [ "$(head -c 4 "$1/$2" 2>/dev/null)" != old ]; then
    fail "$what: $2 is neither the original nor the whole new file ($(stat -c %s "$1/$2") bytes)"
  fi
  local left
  left=$(beside "$1" "$2")
  [ -z "$left" ] || fail "$what: left beside $2: $left"
}

# The whole new files, written once without a fault.
mkdir "$dir/ref"
for w in "${writers[@]}"; do
  run "$w" "$dir/ref" || fail "$w without a fault: $(cat "$dir/err")"
done

# A small tmpfs where mounting works (a full disk); else only the file size limit.
tmpfs=
if mkdir "$dir/small" && mount -t tmpfs -o size=256k tmpfs "$dir/small" 2>/dev/null; then
  mounts+=("$dir/small")
  tmpfs=$dir/small
fi

for w in "${writers[@]}"; do
  t=$(target_of "$w")
  name=${w%%|*}
  # --- a full disk: exit 2 with the reason, the target as it was ---
  if [ -n "$tmpfs" ]; then
    echo old > "$tmpfs/$t"
    run "$w" "$tmpfs"
    status=$?
    [ $status -eq 2 ] || fail "$name on a full disk: exit $status"
    grep -q "No space left on device" "$dir/err" || fail "$name on a full disk said: $(cat "$dir/err")"
    check_target "$tmpfs" "$t" "$dir/ref/$t" "$name on a full disk"
    rm -f "$tmpfs/$t"
  fi
  # --- a file size limit: the write fails with EFBIG instead of SIGXFSZ ending the run ---
  mkdir -p "$dir/limit"
  echo old > "$dir/limit/$t"
  (ulimit -f 16; run "$w" "$dir/limit")
  status=$?
  [ $status -eq 2 ] || fail "$name under ulimit -f: exit $status"
  grep -q "File too large" "$dir/err" || fail "$name under ulimit -f said: $(cat "$dir/err")"
  check_target "$dir/limit" "$t" "$dir/ref/$t" "$name under ulimit -f"
  rm -rf "$dir/limit"
done

# --- a read-only target and one with hard links: refused before the work, with the reason;
# --break-links writes the one name and leaves the other as it was ---
for w in "${writers[@]}"; do
  t=$(target_of "$w")
  name=${w%%|*}
  mkdir -p "$dir/links"
  echo old > "$dir/links/$t"
  chmod 444 "$dir/links/$t"
  run "$w" "$dir/links"
  [ $? -eq 2 ] && grep -q "read-only" "$dir/err" || fail "$name over a read-only $t: $(cat "$dir/err")"
  [ "$(cat "$dir/links/$t")" = old ] || fail "$name replaced a read-only $t"
  chmod 644 "$dir/links/$t"
  ln "$dir/links/$t" "$dir/links/other"
  run "$w" "$dir/links"
  [ $? -eq 2 ] && grep -q "has 2 hard links, which a new file would leave with the old content (--break-links replaces it anyway)" "$dir/err" ||
    fail "$name over a hard link: $(cat "$dir/err")"
  run "$w" "$dir/links" --break-links || fail "$name --break-links: $(cat "$dir/err")"
  same "$dir/links/$t" "$dir/ref/$t" || fail "$name --break-links did not write $t whole"
  [ "$(cat "$dir/links/other")" = old ] || fail "$name --break-links changed the other name"
  rm -rf "$dir/links"
done

# --- a read-only folder (a read-only bind mount, else chmod for a user the mode binds) ---
mkdir "$dir/ro"
echo old > "$dir/ro/out.lin"
if mount --bind -o ro "$dir/ro" "$dir/ro" 2>/dev/null; then
  mounts+=("$dir/ro")
else
  chmod a-w "$dir/ro"
fi
if [ ! -w "$dir/ro" ] || grep -q " $dir/ro " /proc/mounts; then
  for w in "${writers[@]}"; do
    run "$w" "$dir/ro"
    status=$?
    [ $status -eq 2 ] || fail "${w%%|*} into a read-only folder: exit $status"
    grep -qE "read-only" "$dir/err" || fail "${w%%|*} into a read-only folder said: $(cat "$dir/err")"
  done
  [ "$(cat "$dir/ro/out.lin")" = old ] || fail "a read-only folder's file changed"
fi

# --- signals at random moments: the original or the whole new file, nothing beside it (kill -9:
# the next run removes the leftover and says so) ---
signals=(INT TERM HUP QUIT PIPE USR1 ALRM KILL)
for w in "${writers[@]}"; do
  t=$(target_of "$w")
  name=${w%%|*}
  mkdir -p "$dir/sig"
  echo old > "$dir/sig/$t"
  # The moments fall within the length of a run.
  mkdir "$dir/timed"
  start=$(date +%s%N)
  run "$w" "$dir/timed"
  length=$(( ($(date +%s%N) - start) / 1000000 ))
  rm -rf "$dir/timed"
  for _ in $(seq "$rounds"); do
    signal=${signals[RANDOM % ${#signals[@]}]}
    (exec_run=1 run "$w" "$dir/sig") &
    pid=$!
    sleep "$(awk -v ms=$(( RANDOM % (length + 1) )) 'BEGIN { printf "%.3f", ms / 1000 }')"
    kill -"$signal" $pid 2>/dev/null
    { wait $pid; } 2>/dev/null
    if [ "$signal" = KILL ]; then
      left=$(beside "$dir/sig" "$t")
      if [ -n "$left" ]; then
        run "$w" "$dir/sig" || fail "$name after kill -9: $(cat "$dir/err")"
        grep -q "karvelon-cli: removed $dir/sig/$left, left by a run that was stopped" "$dir/err" ||
          fail "$name did not say it removed $left: $(cat "$dir/err")"
      fi
    fi
    check_target "$dir/sig" "$t" "$dir/ref/$t" "$name after SIG$signal"
  done
  rm -rf "$dir/sig"
done

# --- the input changed during the run (rewritten in place, the same size): exit 2, nothing
# written, the change named; a run that ended before the change wrote the whole file ---
changed=0
for w in "${writers[@]}"; do
  IFS='|' read -r command input t options <<< "$w"
  cp "$dir/in/$input" "$dir/keep"
  mkdir -p "$dir/chg"
  echo old > "$dir/chg/$t"
  run "$w" "$dir/chg" &
  pid=$!
  sleep 0.05
  # The same bytes again, in place: the content is as it was, the file has been written.
  dd if="$dir/keep" of="$dir/in/$input" conv=notrunc status=none
  wait $pid
  status=$?
  if [ $status -eq 2 ]; then
    grep -q "changed" "$dir/err" || fail "$command with its input changed said: $(cat "$dir/err")"
    [ "$(cat "$dir/chg/$t")" = old ] || fail "$command wrote $t although its input changed"
    changed=$((changed + 1))
  else
    [ $status -eq 0 ] || fail "$command with its input changed: exit $status: $(cat "$dir/err")"
    same "$dir/chg/$t" "$dir/ref/$t" || fail "$command: $t not the whole new file"
  fi
  check_target "$dir/chg" "$t" "$dir/ref/$t" "$command with its input changed"
  rm -rf "$dir/chg"
done
[ $changed -gt 0 ] || fail "no run saw its input change"

# A same-size edit that sets the mtime back is still seen: the ctime has changed.
if strace -f -o /dev/null true 2>/dev/null; then
  cp "$dir/in/big.pbn" "$dir/e.pbn"
  touch -r "$dir/in/big.pbn" "$dir/e.pbn"
  strace -f -o /dev/null -e inject=fsync:delay_enter=1000000 \
    "$cli" convert "$dir/e.pbn" -o "$dir/e.lin" > /dev/null 2> "$dir/err" &
  tracer=$!
  for _ in $(seq 500); do
    [ -n "$(find "$dir" -maxdepth 1 -name '.e.lin.convert-*')" ] && break
    sleep 0.01
  done
  touch -r "$dir/e.pbn" "$dir/e.time"
  printf 'x' | dd of="$dir/e.pbn" bs=1 seek=100 conv=notrunc status=none
  touch -r "$dir/e.time" "$dir/e.pbn"
  wait $tracer
  grep -q "e.pbn: changed during the run; $dir/e.lin is not written" "$dir/err" ||
    fail "a same-size edit with its mtime set back was not seen: $(cat "$dir/err")"
  [ -e "$dir/e.lin" ] && fail "e.lin written from an input that changed"
fi

exit $failed
