#!/bin/sh
# Runs a command against a private PulseAudio daemon whose only output is a
# null sink, so a test can record what really came out of the speakers.
#   with-pulseaudio.sh CMD [ARGS...]
# Exports PULSE_SERVER, CHIMEBOX_MONITOR_SOURCE (the null sink's monitor) and
# CHIMEBOX_PULSE_LOG (the daemon's log) for the command, and exits with its
# status; when that is a failure, the daemon's log follows the command's
# output. Exits 77 (skipped) when PulseAudio is not installed.

if [ "$#" -eq 0 ]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi

for tool in pulseaudio pactl parec; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is not installed (packages pulseaudio, pulseaudio-utils): skipped" >&2
        exit 77
    fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/chimebox-pulse.XXXXXX") || exit 1
daemon_pid=

# kill takes 0 as this whole process group and -1 as every process: only a
# pid above 0 is signalled.
signal_pid() {
    case $2 in '' | *[!0-9]*) return 1 ;; esac
    [ "$2" -gt 0 ] && kill "$1" "$2" 2>/dev/null
}

cleanup() {
    # The pid file names the daemon running now: a test may have restarted it.
    if [ -f "$tmp/run/pulse/pid" ]; then
        daemon_pid=$(cat "$tmp/run/pulse/pid" 2>/dev/null)
    fi
    if signal_pid -TERM "$daemon_pid"; then
        # Give it a moment to leave before its folder goes.
        i=0
        while signal_pid -0 "$daemon_pid" && [ "$i" -lt 50 ]; do
            sleep 0.1
            i=$((i + 1))
        done
        signal_pid -KILL "$daemon_pid"
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

mkdir -p "$tmp/home" "$tmp/run"
chmod 700 "$tmp" "$tmp/home" "$tmp/run"
HOME=$tmp/home
XDG_RUNTIME_DIR=$tmp/run
export HOME XDG_RUNTIME_DIR
unset PULSE_SERVER PULSE_SINK PULSE_SOURCE
# The daemon would otherwise look for a user session bus it does not need.
unset DBUS_SESSION_BUS_ADDRESS

# Also how a test starts the daemon again after it made it go away.
CHIMEBOX_PULSE_START="pulseaudio -D --system=false --exit-idle-time=-1 --disallow-exit -n \
--load=module-null-sink --load=module-native-protocol-unix --log-target=file:$tmp/pulseaudio.log"
export CHIMEBOX_PULSE_START
if ! sh -c "$CHIMEBOX_PULSE_START"; then
    echo "pulseaudio did not start:" >&2
    cat "$tmp/pulseaudio.log" >&2 2>/dev/null
    exit 1
fi

PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
export PULSE_SERVER

i=0
until pactl info >/dev/null 2>&1; do
    i=$((i + 1))
    if [ "$i" -ge 100 ]; then
        echo "pulseaudio does not answer at $PULSE_SERVER:" >&2
        cat "$tmp/pulseaudio.log" >&2 2>/dev/null
        exit 1
    fi
    sleep 0.1
done
daemon_pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null)

sink=$(pactl info | sed -n 's/^Default Sink: //p')
if [ -z "$sink" ]; then
    echo "pulseaudio has no default sink" >&2
    exit 1
fi
CHIMEBOX_MONITOR_SOURCE=$sink.monitor
CHIMEBOX_PULSE_LOG=$tmp/pulseaudio.log
export CHIMEBOX_MONITOR_SOURCE CHIMEBOX_PULSE_LOG

"$@"
status=$?
if [ "$status" -ne 0 ]; then
    echo "--- the end of pulseaudio's log ---" >&2
    tail -n 40 "$tmp/pulseaudio.log" >&2 2>/dev/null
fi
exit "$status"
