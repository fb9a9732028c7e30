#!/usr/bin/env bash
# How busy the app is at rest on a library of 10,000 items of which 3,000
# are links no server answers for: the share of one core it uses in each
# 10-second stretch of its first start and of its second.
#
#   bench/app/idle.sh [BUILD] [SECONDS]   (build/release, 90 s per start)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build/release}" && pwd)
seconds=${2:-90}
if [ -z "${TOVIK_DESKTOP_INNER:-}" ]; then
    exec "$top/scripts/with-desktop" "$0" "$build" "$seconds"
fi
work=$(mktemp -d /tmp/tovik-bench.XXXXXX)
trap 'kill $app 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
python3 "$top/bench/app/make-library.py" "$work/data/Lumavex" 10000 2500 3000
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }

for start in first second; do
    "$build/tovik" &
    app=$!
    line="$start start, % of a core per 10 s:"
    before=$(cpu $app)
    for _ in $(seq $((seconds / 10))); do
        sleep 10
        now=$(cpu $app)
        line="$line $(awk -v d=$((now - before)) -v t="$ticks" 'BEGIN {printf "%.1f", d * 10 / t}')"
        before=$now
    done
    echo "$line"
    echo "$start start, resident memory: $(($(awk '/VmRSS/ {print $2}' /proc/$app/status) / 1024)) MB"
    kill $app
    wait $app || true
done
