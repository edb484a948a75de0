#!/usr/bin/env bash
# grade_vs_shell_loop.sh [KORVANTA_CLI] [SUBMISSIONS]
#
# Times `korvanta-cli grade` on a class of SUBMISSIONS programs (500 by
# default) against a task of five cases, and the same grading done the old
# way: one `korvanta-cli run --json` per submission and case from a shell
# loop, with the accumulator picked out of each report. Prints both times
# and how many times faster grade is. The class is a mix of right, wrong,
# endless and broken programs, as a real one is.
set -euo pipefail
cli=$(realpath "${1:-build/src/cli/korvanta-cli}")
count=${2:-500}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/class"

# B C A for each case: A = B times C, modulo 256.
cases=("07 06 2A" "09 00 00" "0F 0F E1" "01 01 01" "00 03 00")

for ((i = 0; i < count; i++)); do
  file=$(printf '%s/class/student%03d.asm' "$work" "$i")
  printf '!! STUDENT %d\n' "$i" > "$file"
  case $((i % 5)) in
    0) printf 'MVI A,00\nINR C\nDCR C\nJZ STOR\nLOOP: ADD B\nDCR C\nJNZ LOOP\nSTOR: STA 0120\nHLT\n' ;;
    1) printf 'MVI A,00\nLOOP: ADD B\nDCR C\nJNZ LOOP\nSTA 0120\nHLT\n' ;;        # no test for zero
    2) printf 'MVI A,00\nINR C\nDCR C\nJZ STOP\nLOOP: ADD B\nDCR C\nJNZ LOOP\nSTOP: HLT\n' ;;  # never stored
    3) printf 'MVI A,00\nLOOP: ADD B\nJMP LOOP\nHLT\n' ;;                          # endless: the budget ends it
    4) printf 'MVI A,00\nLOOP: ADD X\nDCR C\nJNZ LOOP\nHLT\n' ;;                   # does not assemble
  esac >> "$file"
done

{
  printf '{"title": "Multiply", "cases": [\n'
  sep=""
  for c in "${cases[@]}"; do
    read -r b cc a <<< "$c"
    printf '%s{"name": "%s x %s", "setup": {"registers": {"B": "%s", "C": "%s"}},' "$sep" "$b" "$cc" "$b" "$cc"
    printf ' "expect": {"status": "Program Finished", "registers": {"A": "%s"}}}\n' "$a"
    sep=","
  done
  printf ']}\n'
} > "$work/task.json"

now() { date +%s.%N; }

start=$(now)
"$cli" grade "$work/task.json" "$work/class" --csv "$work/marks.csv" > "$work/table.txt" || true
grade_seconds=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }')
graded=$(($(wc -l < "$work/marks.csv") - 1))

start=$(now)
passed=0
for file in "$work"/class/*.asm; do
  for c in "${cases[@]}"; do
    read -r b cc a <<< "$c"
    "$cli" run "$file" --set "B=$b" --set "C=$cc" --json > "$work/report.json" 2> /dev/null || true
    if grep -q '"status": "Program Finished"' "$work/report.json" && grep -q "\"A\": \"$a\"" "$work/report.json"; then
      passed=$((passed + 1))
    fi
  done
done
loop_seconds=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }')

full=$(grep -c ',5,5,' "$work/marks.csv" || true)
echo "grade:      $graded submissions x ${#cases[@]} cases in $grade_seconds s ($full with full marks)"
echo "shell loop: $((count * ${#cases[@]})) runs of korvanta-cli run in $loop_seconds s ($passed cases passed)"
awk -v g="$grade_seconds" -v l="$loop_seconds" 'BEGIN { printf "grade is %.1f times faster\n", l / g }'
