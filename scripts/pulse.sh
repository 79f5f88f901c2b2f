# A private PulseAudio server with a null sink, so playback runs for real in
# tests on machines without sound hardware. Its socket lives in a temporary
# runtime folder; nothing of the user's own sound setup is touched.

start_test_pulseaudio() {
    export XDG_RUNTIME_DIR=$(mktemp -d /tmp/brindle-pulse.XXXXXX)
    chmod 700 "$XDG_RUNTIME_DIR"
    export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse
    export PULSE_SERVER=unix:$PULSE_RUNTIME_PATH/native
    pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit --disable-shm=true \
        --log-target=file:"$XDG_RUNTIME_DIR/pulse.log" \
        -n --load="module-native-protocol-unix socket=$PULSE_RUNTIME_PATH/native auth-anonymous=1" \
        --load="module-null-sink sink_name=brindle_null" \
        --load="module-always-sink" >/dev/null 2>&1 || true
    for _ in $(seq 50); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    if pactl info >/dev/null 2>&1; then
        pactl set-default-sink brindle_null >/dev/null 2>&1 || true
        echo "PulseAudio test server running at $PULSE_SERVER"
    else
        echo "PulseAudio test server did not start; audio tests use the silent clock" >&2
        cat "$XDG_RUNTIME_DIR/pulse.log" >&2 2>/dev/null || true
    fi
}

stop_test_pulseaudio() {
    pactl exit >/dev/null 2>&1 || pulseaudio --kill >/dev/null 2>&1 || true
    rm -rf "${XDG_RUNTIME_DIR:-/nonexistent-brindle}"
}
