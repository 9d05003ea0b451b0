#!/usr/bin/env bash
# Start-up time of the window under a virtual X display: from starting the program to its
# main window on the screen, and with the live preview stored as shown, to the preview too.
# Usage: bench/start_time.sh PROGRAM [RUNS] [hidden|shown]. Prints each run's milliseconds and
# the median, and whether the run loaded QtPdf. Needs Xvfb and xdotool (scripts/packages.sh).
set -euo pipefail
program=$(realpath "$1")
runs=${2:-10}
mode=${3:-hidden}
scratch=$(mktemp -d)
# The first display number that no other X server holds.
number=200
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
  number=$((number + 1))
done
display=:$number
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp -noreset -r >/dev/null 2>&1 &
server=$!
cleanup() {
  [ -z "${app:-}" ] || kill "$app" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY=$display QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$scratch/config"
export XDG_DATA_HOME="$scratch/data" TMPDIR="$scratch"
unset WAYLAND_DISPLAY
# A PDF viewer and a printer, so that the program starts without its warnings.
mkdir -p "$XDG_DATA_HOME/applications" "$scratch/bin" "$XDG_CONFIG_HOME/Quenmoor"
printf '%s\n' "[Desktop Entry]" "Type=Application" "Name=Viewer" "Exec=true %f" \
  "MimeType=application/pdf;" > "$XDG_DATA_HOME/applications/viewer.desktop"
printf '#!/bin/sh\nexit 0\n' > "$scratch/bin/lp"
printf '#!/bin/sh\necho printer\n' > "$scratch/bin/lpstat"
chmod +x "$scratch/bin/lp" "$scratch/bin/lpstat"
export PATH="$scratch/bin:$PATH"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

store() {
  printf '[General]\n'
  printf 'MainXpos=10\nMainYpos=10\nAboutXpos=100\nAboutYpos=200\nCalibrateXpos=100\n'
  printf 'CalibrateYpos=200\nOptionsXpos=100\nOptionsYpos=200\nTextEditXpos=100\n'
  printf 'TextEditYpos=100\nDisplaySplashScreen=0\nShowToolTips=1\nOverWriteAlways=0\n'
  printf 'Xdimension=242\nYdimension=120\nUnitsOfMeasurement=0\nPaperSize=0\n'
  if [ "$mode" = shown ]; then
    printf 'LivePreviewShown=1\nLivePreviewXpos=500\nLivePreviewYpos=10\n'
    printf 'LivePreviewWidth=1000\nLivePreviewHeight=700\n'
  fi
}

wanted='^Sleevemaster$'
[ "$mode" = shown ] && wanted='^Live Preview - Sleevemaster$'
times=()
for run in $(seq "$runs"); do
  store > "$XDG_CONFIG_HOME/Quenmoor/Sleevemaster.conf"
  start=$(date +%s%N)
  (cd "$scratch" && exec "$program") 2>>"$scratch/stderr" &
  app=$!
  until xdotool search --onlyvisible --name "$wanted" >/dev/null 2>&1; do
    kill -0 "$app" 2>/dev/null || { echo "the program ended before its window showed:" >&2; cat "$scratch/stderr" >&2; exit 1; }
    sleep 0.005
  done
  end=$(date +%s%N)
  pdf=no
  grep -q libQt6Pdf "/proc/$app/maps" 2>/dev/null && pdf=yes
  ms=$(( (end - start) / 1000000 ))
  times+=("$ms")
  echo "run $run: $ms ms (QtPdf loaded: $pdf)"
  kill "$app"; wait "$app" 2>/dev/null || true
  app=
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "median ($mode): ${sorted[$(( ${#sorted[@]} / 2 ))]} ms"
