#!/usr/bin/env bash
# check_man_pages.sh MAN_DIR KORVANTA KORVANTA_CLI
#
# The manual pages say what the programs' --help says today: every option of
# both programs, and every subcommand of korvanta-cli (and theirs) with its
# whole --help, line for line.
set -euo pipefail
man=$1 app=$2 cli=$3
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# The page as plain text: font changes dropped, escaped characters restored.
text_of() {
  zcat "$1" | sed -e 's/\\f[BIRP]//g' -e 's/\\[/,]//g' -e 's/\\-/-/g' -e 's/\\&//g' -e 's/\\e/\\/g'
}

# Long and short options named at the start of the help's option lines.
options_in() {
  grep -oE '^ +(-[A-Za-z?],? ?)?--?[A-Za-z][A-Za-z0-9-]*' | grep -oE -- '--?[A-Za-z][A-Za-z0-9-]*' | sort -u
}

subcommands() {
  "$cli" "$@" --help | awk '/^Subcommands:/ { on = 1; next }
                            on && /^  [^ ]/ { print $1; next }
                            on && !/^ / { on = 0 }'
}

check_options() {  # PAGE_TEXT HELP
  local option
  for option in $(options_in <<< "$2"); do
    grep -qF -- "$option" <<< "$1" || fail "$option is in --help but not in the manual page"
  done
}

app_page=$(text_of "$man/korvanta.1.gz")
app_help=$("$app" --help)
check_options "$app_page" "$app_help"
grep -qF 'FILE' <<< "$app_page" || fail "korvanta(1) does not document FILE"
[ -n "$(options_in <<< "$app_help")" ] || fail "found no options in korvanta --help"

cli_page=$(text_of "$man/korvanta-cli.1.gz")
check_options "$cli_page" "$("$cli" --help)"

count=0
walk() {
  local sub line
  for sub in $(subcommands "$@"); do
    count=$((count + 1))
    grep -qxF ".SS \"korvanta-cli${*:+ $*} $sub\"" <<< "$cli_page" || fail "no section for korvanta-cli${*:+ $*} $sub"
    while IFS= read -r line; do
      [ -z "$line" ] && continue
      grep -qxF -- "$line" <<< "$cli_page" || fail "korvanta-cli${*:+ $*} $sub: '$line' is not in the manual page"
    done < <("$cli" "$@" "$sub" --help)
    walk "$@" "$sub"
  done
}
walk
[ "$count" -gt 0 ] || fail "found no subcommands in korvanta-cli --help"
echo "checked korvanta(1) and korvanta-cli(1) with $count subcommands"
exit $failed
