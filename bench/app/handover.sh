#!/usr/bin/env bash
# Times commands handed over to the running app on a large library, and the
# app's launch to its window, on a virtual desktop.
#
#   bench/app/handover.sh [BUILD]      (BUILD: build/release by default)
#
# Prints: the launch to the window shown (seven starts), 100 `tovik add text`
# one at a time, the app's resident memory with the window open, and 100 tag
# changes: the app's CPU for them and when the last is in the index on disk.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build/release}" && pwd)
if [ -z "${TOVIK_DESKTOP_INNER:-}" ]; then
    exec "$top/scripts/with-desktop" "$0" "$build"
fi
tovik="$build/tovik"
work=$(mktemp -d /tmp/tovik-bench.XXXXXX)
trap 'kill $app 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
python3 "$top/bench/app/make-library.py" "$work/data/Lumavex" 10000 2500
socket="$XDG_RUNTIME_DIR/com.nivo.lumavex.$(id -u).socket"
now() { date +%s.%N; }

wait_for_socket() {
    until [ -S "$socket" ]; do sleep 0.01; done
}

# The timer starts the app and reports when the X server maps its window.
launches=()
for run in $(seq 7); do
    rm -f "$socket"
    launches+=("$(TOVIK_SHOW=memory "$build/bench/tovik_launch_timer" lumavex "$tovik")")
    wait_for_socket
    app=$(pgrep -f -n "^$tovik\$")
    if [ $run -lt 7 ]; then
        kill "$app"
        while kill -0 "$app" 2>/dev/null; do sleep 0.01; done
    fi
done
sorted=$(printf '%s\n' "${launches[@]}" | sort -n | tr '\n' ' ')
echo "launch to window shown, 7 starts: median $(printf '%s\n' "${launches[@]}" | sort -n | sed -n 4p) ms (${sorted% })"
sleep 3
echo "resident memory, window open: $(($(awk '/VmRSS/ {print $2}' /proc/$app/status) / 1024)) MB"

text=$(python3 -c 'print("handed over " + "lorem ipsum dolor " * 140)')
start=$(now)
for i in $(seq 100); do
    "$tovik" add text "$i $text" >/dev/null
done
end=$(now)
echo "100 tovik add text, one at a time: $(echo "($end - $start)" | bc) s"
count=$("$tovik" list --json | jq length)
echo "items after: $count (expected 10100)"

# 100 tag changes on older items: the app's CPU for them, and how soon after
# the last one the index on disk holds it.
index="$XDG_DATA_HOME/Lumavex/items.json"
mapfile -t ids < <(jq -r '.[200:300][].id' "$index")
sleep 2
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$app/stat"; }
before=$(cpu)
for id in "${ids[@]}"; do
    "$tovik" tag add "Bench" "$id" >/dev/null
done
last=$(now)
until [ "$(stat -c %.9Y "$index")" \> "$last" ]; do sleep 0.01; done
written=$(now)
echo "last tag change on disk after: $(echo "($written - $last) * 1000" | bc | cut -d. -f1) ms"
sleep 2
echo "app CPU for 100 tag changes: $(awk -v d=$(($(cpu) - before)) -v t="$ticks" 'BEGIN {printf "%.2f", d / t}') s"
tagged=$(jq --arg id "${ids[-1]}" '[.[] | select(.id == $id) | .tags // [] | index("Bench")] | .[0] != null' "$index")
echo "last change in the index: $tagged"
