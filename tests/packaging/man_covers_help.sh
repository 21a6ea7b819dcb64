#!/bin/sh
# Every command and option that a program's --help prints has an entry (a .TP head) in its
# manual page, so nothing the program offers goes undocumented.
# Usage: man_covers_help.sh PROGRAM PAGE [PROGRAM PAGE ...]
set -eu
options() { grep -oE '(^|[][ ,|])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[][ ,|]//'; }
commands() { awk '/^Commands:/ { inside = 1; next } /^$/ { inside = 0 } inside && /^  [a-z]/ { print $1 }'; }
missing=0
while [ $# -ge 2 ]; do
  program=$1 page=$2
  shift 2
  help=$("$program" --help)
  # The heads of the page's entries as plain text (no fonts, no macros); an option's entry
  # starts with it, a command's with the command.
  heads=$(awk 'head { print; head = 0 } /^\.TP/ { head = 1 }' "$page" |
    sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/^\.[BIR]*  *//' -e 's/"//g')
  for option in $(printf '%s\n' "$help" | options | sort -u); do
    printf '%s\n' "$heads" | grep -E '^-' | options | grep -qxF -e "$option" ||
      { echo "$page: no entry for option $option"; missing=1; }
  done
  for command in $(printf '%s\n' "$help" | commands); do
    printf '%s\n' "$heads" | awk '{ print $1 }' | grep -qxF -e "$command" ||
      { echo "$page: no entry for command $command"; missing=1; }
  done
done
exit $missing
