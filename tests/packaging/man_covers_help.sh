#!/bin/sh
# Every command and option that a program's --help prints has an entry (a .TP head) in its
# manual page, so nothing the program offers goes undocumented. Each command's own help
# (PROGRAM COMMAND --help) must work, and where an option's entry names the commands that take
# it ("(check, show, list)"), it names every command whose help lists the option.
# Usage: man_covers_help.sh PROGRAM PAGE [PROGRAM PAGE ...]
set -eu
options() { grep -oE '(^|[][ ,|])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[][ ,|]//'; }
commands() { awk '/^Commands:/ { inside = 1; next } /^$/ { inside = 0 } inside && /^  [a-z]/ { print $1 }'; }
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/^\.[BIR]*  *//' -e 's/"//g'; }
missing=0
while [ $# -ge 2 ]; do
  program=$1 page=$2
  shift 2
  help=$("$program" --help)
  # The heads of the page's entries as plain text (no fonts, no macros); an option's entry
  # starts with it, a command's with the command.
  heads=$(awk 'head { print; head = 0 } /^\.TP/ { head = 1 }' "$page" | plain)
  # Each entry on one line: its head, a tab, its text.
  entries=$(awk '/^\.(TP|SH)/ { if (entry != "") print entry; entry = ""; head = /^\.TP/; next }
                 head == 1 { entry = $0 "\t"; head = 2; next }
                 head == 2 { entry = entry " " $0 }
                 END { if (entry != "") print entry }' "$page" | plain)
  for option in $(printf '%s\n' "$help" | options | sort -u); do
    printf '%s\n' "$heads" | grep -E '^-' | options | grep -qxF -e "$option" ||
      { echo "$page: no entry for option $option"; missing=1; }
  done
  for command in $(printf '%s\n' "$help" | commands); do
    printf '%s\n' "$heads" | awk '{ print $1 }' | grep -qxF -e "$command" ||
      { echo "$page: no entry for command $command"; missing=1; }
    command_help=$("$program" "$command" --help) ||
      { echo "$program $command --help fails"; missing=1; continue; }
    for option in $(printf '%s\n' "$command_help" | grep -E '^  -' | options | sort -u); do
      texts=$(printf '%s\n' "$entries" | awk -F '\t' -v o="$option" '
        { n = split($1, words, /[][ ,|]+/); for (i = 1; i <= n; i++) if (words[i] == o) { print $2; next } }')
      printf '%s\n' "$texts" | grep -qE '\((check|show|list|render|dd|hand-records|annotate|convert|every command)[,)]' ||
        continue  # an entry that names no commands holds for all
      printf '%s\n' "$texts" | grep -qE "\\((every command|([a-z-]+, )*$command[,)])" ||
        { echo "$page: the entry of $option does not name $command"; missing=1; }
    done
  done
done
exit $missing
