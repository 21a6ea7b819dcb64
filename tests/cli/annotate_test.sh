#!/bin/bash
# karvelon-cli annotate on real files: a second run changes nothing (not even the inode and the
# times), only lines are added, the 2.1 reading sees the same games, dd agrees with the written
# tricks, --verify's status and counts; and the faults: a full disk, a read-only file, a folder
# as OUT (refused before solving), hard links, a file that changes while it is annotated, Ctrl+C,
# kill -9. In each fault the file stays as it was, no temporary file is left (kill -9: the next
# run removes it and says so), and a second run completes the work.
# Usage: annotate_test.sh KARVELON_CLI EXAMPLES_DIR
set -u
set -m  # background jobs get their own process group and keep SIGINT
cli=$(realpath "$1")
examples=$(realpath "$2")
dir=$(mktemp -d)
ro_mount=
cleanup() {
  [ -n "$ro_mount" ] && umount "$ro_mount" 2>/dev/null
  chattr -i "$dir"/* 2>/dev/null
  chmod -R u+w "$dir"
  rm -rf "$dir"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
no_temp() { # no temporary file left in the folder
  local left
  left=$(find "$1" -maxdepth 1 -name '.*.annotate-*')
  [ -z "$left" ] || fail "temporary file left: $left"
}
# Waits until process $1 has used $2 hundredths of a second of CPU: solving has begun.
wait_cpu() {
  local ticks=0
  while [ -r /proc/$1/stat ] && [ "$ticks" -lt "$2" ]; do
    ticks=$(awk '{ print $14 + $15 }' /proc/$1/stat 2>/dev/null || echo 0)
    sleep 0.02
  done
}

src=$examples/showcase.pbn
cp "$src" "$dir/a.pbn"

# --- twice gives the same bytes as once; only lines are added ---
"$cli" annotate "$dir/a.pbn" --dd > "$dir/out1" 2> "$dir/err1" || fail "first run: $(cat "$dir/err1")"
grep -qx "$dir/a.pbn: 5 games, 4 annotated, 0 already annotated, 1 not solved" "$dir/out1" ||
  fail "first run said: $(cat "$dir/out1")"
cp "$dir/a.pbn" "$dir/once.pbn"
# (by a relative name and through a link, which once made every run write the file anew)
ln -s a.pbn "$dir/a-link.pbn"
before=$(stat -c '%i %Y %Z' "$dir/a.pbn")
(cd "$dir" && "$cli" annotate a.pbn a-link.pbn --dd --pbn auto > out2 2>&1) ||
  fail "second run: $(cat "$dir/out2")"
cmp -s "$dir/a.pbn" "$dir/once.pbn" || fail "a second run changed the file"
[ "$(stat -c '%i %Y %Z' "$dir/a.pbn")" = "$before" ] || fail "a second run wrote the file anew"
grep -qx "a.pbn: 5 games, 0 annotated, 4 already annotated, 1 not solved" "$dir/out2" ||
  fail "second run said: $(cat "$dir/out2")"
rm "$dir/a-link.pbn"
printf '[Event "no deal"]\n\n' > "$dir/nodeal.pbn"
before=$(stat -c '%i %Y %Z' "$dir/nodeal.pbn")
"$cli" annotate "$dir/nodeal.pbn" --dd > /dev/null 2>&1
[ "$(stat -c '%i %Y %Z' "$dir/nodeal.pbn")" = "$before" ] || fail "a file without a deal was written"
# Game 5 lacks a hand: 4 games get 4 tags and 20 rows; "% PBN 1.0" becomes "% PBN 2.1"; par
# with the side first and the result after the contract.
diff <(sed 1d "$src") <(sed 1d "$dir/a.pbn") | grep -q '^<' && fail "lines of the file changed"
[ "$(diff "$src" "$dir/a.pbn" | grep -c '^>')" -eq 97 ] || fail "not 4 x 24 lines added"
[ "$(head -1 "$dir/a.pbn")" = "% PBN 2.1" ] || fail "no version line"
grep '^\[ParContract' "$dir/a.pbn" | grep -qvE '^\[ParContract "(Pass|[NESW]{1,2} [1-7](NT|[SHDC])(X?-[0-9]+|=|\+[0-9]+)(; [NESW]{1,2} [1-7](NT|[SHDC])(X?-[0-9]+|=|\+[0-9]+))*)"\]' &&
  fail "ParContract not as the files write it: $(grep '^\[ParContract' "$dir/a.pbn")"
# --replace solves again and finds every value the same.
"$cli" annotate "$dir/a.pbn" --dd --pbn 2.1 --replace > /dev/null 2> "$dir/err" || fail "--replace"
cmp -s "$dir/a.pbn" "$dir/once.pbn" || fail "--replace changed the file"
grep -q differs "$dir/err" && fail "--replace found other values: $(cat "$dir/err")"
# --verify solves the games that hold every tag, reports a value that differs, kept, counts the
# games it checked and exits 3; with every value the same it exits 0.
sed '0,/DoubleDummyTricks "[0-9a-d]*"/s//DoubleDummyTricks "0123456789abcd012345"/' \
  "$dir/once.pbn" > "$dir/v.pbn"
cp "$dir/v.pbn" "$dir/v.orig"
"$cli" annotate "$dir/v.pbn" --dd --pbn 2.1 --verify > "$dir/out" 2> "$dir/err"
[ $? -eq 3 ] || fail "--verify with a value that differs does not exit 3"
grep -q 'game 1: DoubleDummyTricks "0123456789abcd012345" differs from the solver' "$dir/err" ||
  fail "--verify said: $(cat "$dir/err")"
grep -qx "$dir/v.pbn: 5 games, 0 annotated, 4 already annotated, 4 checked, 1 differ, 1 not solved" \
  "$dir/out" || fail "--verify's summary: $(cat "$dir/out")"
cmp -s "$dir/v.pbn" "$dir/v.orig" || fail "--verify changed the file"
"$cli" annotate "$dir/once.pbn" --dd --pbn 2.1 --verify > "$dir/out" 2>&1 ||
  fail "--verify with the same values: $(cat "$dir/out")"
"$cli" annotate "$dir/v.pbn" --dd --replace --verify > /dev/null 2> "$dir/err"
[ $? -eq 2 ] && grep -q -- "choose one of --replace and --verify" "$dir/err" ||
  fail "--replace --verify: $(cat "$dir/err")"
# A file whose par the other programs' form gives (side first, "=") is the same.
sed 's/^\[ParContract "\([0-9][^ "]*\) \([NESW]*\)"\]/[ParContract "\2 \1="]/' "$dir/once.pbn" > "$dir/p.pbn"
"$cli" annotate "$dir/p.pbn" --dd --pbn 2.1 --verify > /dev/null 2> "$dir/err" ||
  fail "--verify of the other form: $(cat "$dir/err")"

# The 2.1 reading: the same games and log as before.
(cd "$dir" && "$cli" check "$src" --pbn 2.1 --log - > before.txt &&
  "$cli" check a.pbn --pbn 2.1 --log - > after.txt) || fail "check --pbn 2.1"
cmp -s "$dir/before.txt" "$dir/after.txt" || fail "check --pbn 2.1 differs: $(cat "$dir/after.txt")"
# dd agrees with the written tricks.
"$cli" dd "$dir/a.pbn" --pbn 2.1 | cut -f4 | grep -v "^error" > "$dir/dd.txt"
sed -n 's/^\[DoubleDummyTricks "\(.*\)"\].*/\1/p' "$dir/a.pbn" > "$dir/tags.txt"
cmp -s "$dir/dd.txt" "$dir/tags.txt" || fail "dd and DoubleDummyTricks differ"

# --- a folder in shards: each file written by one part, the parts' outputs make the whole's ---
mkdir -p "$dir/f/sub"
for name in x.pbn sub/y.PBN z.pbn; do cp "$dir/once.pbn" "$dir/f/$name"; done
echo "not PBN" > "$dir/f/notes.txt"
"$cli" annotate "$dir/f" --dd --pbn 2.1 > "$dir/whole" 2>/dev/null || fail "a folder"
for k in 1 2 3 4; do "$cli" annotate "$dir/f" --dd --pbn 2.1 --shard $k/4 2>/dev/null; done > "$dir/parts"
cmp -s "$dir/whole" "$dir/parts" || fail "shards: $(cat "$dir/parts")"
[ "$(wc -l < "$dir/whole")" -eq 3 ] || fail "a folder: $(cat "$dir/whole")"

# --- a full disk: the write fails, the target stays, no temporary file ---
echo "old" > "$dir/out.pbn"
(ulimit -f 1; "$cli" annotate "$dir/once.pbn" --dd -o "$dir/out.pbn" > /dev/null 2> "$dir/err")
[ $? -eq 2 ] || fail "a full disk does not exit 2"
grep -q "cannot write $dir/out.pbn: File too large; left as it is" "$dir/err" ||
  fail "full disk said: $(cat "$dir/err")"
[ "$(cat "$dir/out.pbn")" = old ] || fail "a full disk damaged the target"
no_temp "$dir"
"$cli" annotate "$dir/once.pbn" --dd -o "$dir/out.pbn" > /dev/null || fail "-o after a full disk"
cmp -s "$dir/out.pbn" "$dir/once.pbn" || fail "-o wrote other bytes"

# --- a folder as OUT, and OUT in a missing folder: refused before any deal is solved (the solver
# library is not even loaded) ---
mkdir "$dir/folder.pbn"
LD_DEBUG=files "$cli" annotate "$src" --dd -o "$dir/folder.pbn" > /dev/null 2> "$dir/err"
[ $? -eq 2 ] || fail "a folder as OUT does not exit 2"
grep -q "karvelon-cli: $dir/folder.pbn: is a folder, skipped" "$dir/err" ||
  fail "a folder as OUT said: $(grep karvelon-cli "$dir/err")"
grep -q 'libdds' "$dir/err" && fail "a folder as OUT was refused only after solving"
"$cli" annotate "$src" --dd -o "$dir/none/x.pbn" > /dev/null 2> "$dir/err"
grep -qx "karvelon-cli: $dir/none/x.pbn: its folder does not exist, skipped" "$dir/err" ||
  fail "OUT in a missing folder said: $(cat "$dir/err")"

# --- hard links: refused unless --break-links, which leaves the other name as it was ---
cp "$src" "$dir/h.pbn"
ln "$dir/h.pbn" "$dir/h2.pbn"
"$cli" annotate "$dir/h.pbn" --dd > /dev/null 2> "$dir/err"
[ $? -eq 2 ] || fail "a file with hard links does not exit 2"
grep -qx "karvelon-cli: $dir/h.pbn: has 2 hard links, which a new file would leave with the old content (--break-links replaces it anyway), skipped" \
  "$dir/err" || fail "hard links said: $(cat "$dir/err")"
cmp -s "$dir/h.pbn" "$src" || fail "a file with hard links was changed"
"$cli" annotate "$dir/h.pbn" --dd --break-links > /dev/null 2>&1 || fail "--break-links"
cmp -s "$dir/h.pbn" "$dir/once.pbn" || fail "--break-links wrote other bytes"
cmp -s "$dir/h2.pbn" "$src" || fail "--break-links changed the other name"

# --- a read-only file: a read-only bind mount where mounting works, else chattr +i, else chmod ---
mkdir "$dir/ro"
cp "$src" "$dir/ro/r.pbn"
if mount --bind -o ro "$dir/ro" "$dir/ro" 2>/dev/null; then
  ro_mount=$dir/ro
  how="read-only bind mount"
elif chattr +i "$dir/ro/r.pbn" 2>/dev/null; then
  how="chattr +i"
else
  chmod a-w "$dir/ro/r.pbn"
  how="chmod a-w"
fi
"$cli" annotate "$dir/ro/r.pbn" --dd > /dev/null 2> "$dir/err"
[ $? -eq 2 ] || fail "a read-only file ($how) does not exit 2"
grep -qx "karvelon-cli: $dir/ro/r.pbn: read-only, skipped" "$dir/err" ||
  fail "read-only ($how) said: $(cat "$dir/err")"
cmp -s "$src" "$dir/ro/r.pbn" || fail "a read-only file ($how) was changed"
echo "read-only file: $how"

# --- a file that changes while it is annotated: refused, the change kept ---
cp "$src" "$dir/c.pbn"
"$cli" annotate "$dir/c.pbn" --dd > /dev/null 2> "$dir/err" &
pid=$!
wait_cpu $pid 20
printf '\n{appended}\n' >> "$dir/c.pbn"
wait $pid
[ $? -eq 2 ] || fail "a changed file does not exit 2"
grep -q "c.pbn: changed while it was annotated; left as it is" "$dir/err" ||
  fail "changed file said: $(cat "$dir/err")"
cmp -s "$dir/c.pbn" <(cat "$src"; printf '\n{appended}\n') || fail "the change was lost"
no_temp "$dir"
"$cli" annotate "$dir/c.pbn" --dd > /dev/null || fail "the run after a change"

# --- Ctrl+C in the middle: the file as it was, no temporary file, a second run completes ---
cp "$src" "$dir/i.pbn"
"$cli" annotate "$dir/i.pbn" --dd > /dev/null 2>&1 &
pid=$!
wait_cpu $pid 20
kill -INT $pid
wait $pid
[ $? -eq 130 ] || fail "Ctrl+C does not stop the run"
cmp -s "$src" "$dir/i.pbn" || fail "Ctrl+C changed the file"
no_temp "$dir"
# Starts annotate writing the copy OUT ($1) with its fsync held back by strace for $2 seconds and
# waits until its temporary file is there: $tracer is strace, $writer annotate, $left the file.
start_held_write() {
  strace -f -o /dev/null -e inject=fsync:delay_enter=$(($2 * 1000000)) \
    "$cli" annotate "$dir/once.pbn" --dd --pbn 2.1 -o "$dir/$1" > /dev/null 2>&1 &
  tracer=$!
  for _ in $(seq 500); do
    left=$(find "$dir" -maxdepth 1 -name ".$1.annotate-*")
    [ -n "$left" ] && break
    sleep 0.02
  done
  writer=$(pgrep -P $tracer)
}
if strace -f -o /dev/null true 2>/dev/null; then
  # Ctrl+C while the temporary file is written: it is removed, no target appears.
  start_held_write w.pbn 2
  kill -INT "$writer"
  wait $tracer
  [ -e "$dir/w.pbn" ] && fail "Ctrl+C while writing left a target"
  no_temp "$dir"
  # kill -9 then: the temporary file stays, and the next run removes it and says so.
  cp "$dir/once.pbn" "$dir/k.pbn"
  start_held_write k.pbn 5
  kill -KILL "$writer"
  wait $tracer
  [ -n "$left" ] && [ -e "$left" ] || fail "kill -9 left no temporary file to find: '$left'"
  "$cli" annotate "$dir/k.pbn" --dd --pbn 2.1 > /dev/null 2> "$dir/err" || fail "the run after kill -9"
  grep -q "karvelon-cli: removed $left, left by a run that was stopped (process $writer)" "$dir/err" ||
    fail "the leftover was not said: $(cat "$dir/err")"
  no_temp "$dir"
else
  echo "strace cannot trace here: Ctrl+C and kill -9 while writing not tested"
fi
# (through a symbolic link, which stays a link to the file it names)
ln -s i.pbn "$dir/link.pbn"
"$cli" annotate "$dir/link.pbn" --dd > /dev/null 2>&1 || fail "the run after Ctrl+C"
cmp -s "$dir/i.pbn" "$dir/once.pbn" || fail "the run after Ctrl+C wrote other bytes"
[ -L "$dir/link.pbn" ] || fail "the symbolic link was replaced"

exit $failed
