#!/usr/bin/env bash
# make-man-page.sh PROGRAM NAME-LINE OUT.1.gz [EXTRA.h2m]
#
# Writes the manual page of PROGRAM from its own --help and --version with
# help2man. When the help lists subcommands (CLI11's "Subcommands:" block),
# each one's --help, and those of its own subcommands, become a COMMANDS
# section: the manual lists whatever subcommands the program has, so a new one
# needs no edit here. EXTRA.h2m adds sections the help has no room for (help2man's
# --include format).
set -euo pipefail
program=$1 name=$2 out=$3 extra=${4:-}

# No display is needed for --help; a sanitizer build must not fail on leaks at exit.
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# The names under "Subcommands:" in the help of PROGRAM "$@".
subcommands() {
  "$program" "$@" --help | awk '/^Subcommands:/ { on = 1; next }
                                on && /^  [^ ]/ { print $1; next }
                                on && !/^ / { on = 0 }'
}

# Text as roff that is shown line for line.
as_roff() {
  sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

describe() {
  local sub
  for sub in $(subcommands "$@"); do
    printf '.SS "%s"\n.nf\n' "$(basename "$program")${*:+ $*} $sub"
    "$program" "$@" "$sub" --help | as_roff
    printf '.fi\n'
    describe "$@" "$sub"
  done
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
include=()
commands=$(describe)
if [ -n "$commands" ]; then
  printf '[COMMANDS]\nEach command has its own options, shown by\n.B %s\n.I COMMAND\n.BR \\-\\-help .\n%s\n' \
    "$(basename "$program")" "$commands" > "$work/include.h2m"
  include=(--include="$work/include.h2m")
fi
[ -n "$extra" ] && include+=(--include="$extra")
# The program prints "korvanta VERSION" whatever its name; the page is named after the program.
version=$("$program" --version)
help2man --no-info --no-discard-stderr --name="$name" --version-string="${version##* }" \
  "${include[@]}" --output="$work/page.1" "$program"
gzip -n -9 -c "$work/page.1" > "$out"
