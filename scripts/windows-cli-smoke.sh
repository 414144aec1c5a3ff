#!/usr/bin/env bash
# Runs the cross-built h_trelmo-cli.exe under wine on a few commands, with its fixed root,
# settings and files in folders with Cyrillic names:
#   make-card, decode of cell 0 of that card, show of the data file, --simulate scan,
#   --simulate delete without a console (answered "no"), and list without --simulate (no
#   driver here: the Russian driver message and exit status 1).
# Every run must leave a log in code page 1251 with CR LF line ends.
#   windows-cli-smoke.sh PATH/TO/h_trelmo-cli.exe WORK_DIR
set -euo pipefail
cli=${1:?usage: windows-cli-smoke.sh h_trelmo-cli.exe WORK_DIR}
work=${2:?usage: windows-cli-smoke.sh h_trelmo-cli.exe WORK_DIR}
here=$(cd "$(dirname "$0")" && pwd)
# Wine takes the Unix environment and file names in the locale's encoding.
export LC_ALL=C.UTF-8

rm -rf "$work"
mkdir -p "$work/Проверка ПУ/данные"
work=$(cd "$work" && pwd)
data="$work/Проверка ПУ/данные"
# Wine's drive Z: is the Unix root.
win() { printf 'Z:%s' "${1//\//\\}"; }
export H_SYSTEM_DIR
H_SYSTEM_DIR=$(win "$work/Проверка ПУ/h_system")
export H_TRELMO_INI
H_TRELMO_INI=$(win "$work/Проверка ПУ/h_trelmo.ini")
logs="$work/Проверка ПУ/h_system/h_trelmo/logs"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# run NAME EXPECTED_STATUS ARGS...: stdout and stderr (CR LF made LF) in $work/NAME.out/.err.
run() {
  local name=$1 expected=$2
  shift 2
  local status=0
  "$here/wine-run.sh" "$cli" "$@" </dev/null >"$work/$name.raw-out" 2>"$work/$name.raw-err" ||
    status=$?
  tr -d '\r' <"$work/$name.raw-out" >"$work/$name.out"
  tr -d '\r' <"$work/$name.raw-err" >"$work/$name.err"
  if [[ $status -ne $expected ]]; then
    fail "$name: exit status $status, expected $expected"
    sed 's/^/    /' "$work/$name.err" >&2
  fi
}

expect_out() {  # NAME FILE(out|err) EXTENDED_REGEX
  grep -Eq -- "$3" "$work/$1.$2" || fail "$1: no line matching '$3' in std$2"
}

run make-card 0 make-card "$(win "$work/карта.card")"
head -c 32768 "$work/карта.card" >"$data/ячейка 0.bin"

run decode 0 decode "$(win "$data/ячейка 0.bin")" -o "$(win "$data")\\"
mapfile -t saved < <(find "$data" -name '*.z7m')
if [[ ${#saved[@]} -ne 1 ]]; then
  fail "decode: ${#saved[@]} data files in the output folder, expected 1"
else
  run show 0 show "$(win "${saved[0]}")"
  expect_out show out '[0-9]{2}\.[0-9]{2}\.[0-9]{4}'
fi

run scan 0 --simulate scan
expect_out scan out '^[0-9]{7} \([0-9]+T[0-9]+V\)$'

# Without a console the question is answered "no" and the card stays as it is.
run delete 1 --simulate delete 0
expect_out delete err 'нет \(нет терминала\)'
run scan-again 0 --simulate scan
cmp -s "$work/scan.out" "$work/scan-again.out" || fail "delete without a console changed the card"

run list 1 list
if ! tr '\n' '\001' <"$work/list.err" |
  grep -q $'Невозможно активировать драйвер устройства:\001Ошибка открытия WINDRVR (WD_Open())'; then
  fail "list: the driver message is missing from stderr"
  sed 's/^/    /' "$work/list.err" >&2
fi

# One log per run, in code page 1251 with CR LF, no CR CR LF, no bare LF.
mapfile -t log_files < <(find "$logs" -maxdepth 1 -name 'h_trelmo*.log' | sort)
[[ ${#log_files[@]} -eq 7 ]] || fail "${#log_files[@]} log files, expected 7"
for log in "${log_files[@]}"; do
  name=${log##*/}
  grep -q 'open log; pc_name = ' "$log" || fail "$name: no open-log line"
  if grep -q $'\r\r' "$log"; then fail "$name: CR CR LF"; fi
  if [[ $(grep -c $'[^\r]$\|^$' "$log" || true) -ne 0 ]]; then fail "$name: a line without CR"; fi
  iconv -f UTF-8 -t UTF-8 "$log" >/dev/null 2>&1 && fail "$name: UTF-8, not code page 1251"
  # grep reads all of iconv's output: with -q it would stop at the match, and iconv, still
  # writing, would end by SIGPIPE and fail the pipeline.
  iconv -f CP1251 -t UTF-8 "$log" | grep 'Версия: 1\.0\.0\.12' >/dev/null ||
    fail "$name: no version 1.0.0.12 in code page 1251"
done
driver_text=$(printf 'Невозможно активировать драйвер устройства:' | iconv -f UTF-8 -t CP1251)
grep -qF -- "$driver_text" "${log_files[@]}" || fail "no log holds the driver message in code page 1251"

if ((failures > 0)); then
  echo "windows-cli-smoke: $failures failure(s); outputs in $work" >&2
  exit 1
fi
echo "windows-cli-smoke: make-card, decode, show, scan, delete and list passed"
