#!/bin/bash
# Prints how long chimebox takes from exec until its window is mapped, and
# its resident memory once it has settled, as the median of several runs.
# Needs an X display (run under xvfb-run) and xdotool.
# Usage: bench/startup.sh path/to/chimebox [runs]
set -euo pipefail
program=$(realpath "$1")
runs=${2:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/chimebox" # a settings folder of its own

times=() rss=()
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$work/chimebox" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --pid "$pid" --name CHIMEBOX >/dev/null 2>&1; do
        sleep 0.002
    done
    mapped=$(date +%s%N)
    sleep 2
    rss+=("$(awk '/VmRSS/ {print $2}' /proc/$pid/status)")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    times+=($(((mapped - start) / 1000000)))
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
echo "window mapped after: $(median "${times[@]}") ms (runs: ${times[*]})"
echo "resident memory:     $(($(median "${rss[@]}") / 1024)) MiB"
