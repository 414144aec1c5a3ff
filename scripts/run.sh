#!/usr/bin/env bash
# Runs h_trelmo on the simulated card reader with a fresh demo card.
#   scripts/run.sh
# Installs what is missing (scripts/setup.sh), builds a Release build in build/run, remakes
# the demo card in the program's data folder, then:
#   - with a display: starts the window (h_trelmo --simulate -SHOW_COMPARE1);
#   - without one: does the same job with the command-line tool (scan, list, read cell 0,
#     show the saved file) and prints where the files went.
# H_SYSTEM_DIR moves the program's folders, H_TRELMO_INI its settings file.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build=build/run
jobs=$(nproc)
have_display=false
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  have_display=true
fi
targets=(h_trelmo-cli)
if $have_display; then
  targets+=(h_trelmo)
fi

echo "== build ($build, Release: ${targets[*]})"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DH_TRELMO_TESTS=OFF -DH_TRELMO_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"
cli=$build/app/cli/h_trelmo-cli
gui=$build/app/h_trelmo

# The program's fixed root, as the program finds it: H_SYSTEM_DIR, else the data folder
# of the XDG convention (an absolute XDG_DATA_HOME, else ~/.local/share).
if [[ -n "${H_SYSTEM_DIR:-}" ]]; then
  root=${H_SYSTEM_DIR%/}
elif [[ "${XDG_DATA_HOME:-}" == /* ]]; then
  root=$XDG_DATA_HOME/h_system
else
  root=$HOME/.local/share/h_system
fi
data_dir=$root/h_trelmo
card=$data_dir/demo.card

echo "== demo card"
# Every demo starts from the same card: six cells, three devices, a deleted and two
# empty cells.
"$cli" make-card "$card" >/dev/null
echo "made $card"

if $have_display; then
  echo "== window: $gui --simulate -SHOW_COMPARE1"
  echo "   Press \"Поиск карты\" to find the card, select a device and press \"Считать\"."
  echo "   Logs go to $data_dir/logs/."
  exec "$gui" --simulate -SHOW_COMPARE1
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the same job with"
echo "the command-line tool instead of the window."
out_dir=$data_dir/demo_data
mkdir -p "$out_dir"

echo "== $cli --simulate scan"
"$cli" --simulate scan
echo "== $cli --simulate list"
"$cli" --simulate list
echo "== $cli --simulate read 0 -o $out_dir --yes"
saved=$("$cli" --simulate read 0 -o "$out_dir" --yes)
echo "$saved"
echo "== $cli show $saved"
"$cli" show "$saved"

settings=${H_TRELMO_INI:-$(cd "$(dirname "$cli")" && pwd)/h_trelmo.ini}
cat <<EOF

Where the files went:
  data file:           $saved
  demo card:           $card
  log of each run:     $data_dir/logs/h_trelmo*.log
  dumps of cell reads: $data_dir/logs/*card_readed.bin
  scan logs:           $data_dir/logs/bin/
  settings file:       $settings (the port the scan found)
EOF
