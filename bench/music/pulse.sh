# Sourced by run.sh: a PulseAudio server of the benchmark's own, a sound
# device that plays at real time (ALSA's file device takes the sound as fast
# as Wine mixes it and hides every gap). The server is never installed: its
# packages are unpacked under the build folder on first use, since a system
# one brings an ALSA hook that 32-bit programs cannot load. It runs in user
# mode with a null sink, its own runtime folder and no configuration but its
# command line; parec records the sink's monitor.
PULSE_DIR=$BUILD/pulse
PULSE_ROOT=$PULSE_DIR/root
PULSE_RUN=$PULSE_DIR/run
PULSE_SERVER_PID=
PULSE_PAREC_PID=
# The server, the recorder and what they load that the machine lacks.
PULSE_PACKAGES="pulseaudio pulseaudio-utils libpulse0 libsndfile1 libflac12 libogg0 libvorbis0a
    libvorbisenc2 libopus0 libmpg123-0 libmp3lame0 libsoxr0 libspeexdsp1 libtdb1 liborc-0.4-0
    libasyncns0 libwrap0 libwebrtc-audio-processing1"

pulse_modules() { echo "$PULSE_ROOT"/usr/lib/pulse-*/modules; }

pulse_libs() {
    echo "$PULSE_ROOT/usr/lib/x86_64-linux-gnu:$PULSE_ROOT/usr/lib/x86_64-linux-gnu/pulseaudio:$(pulse_modules)"
}

# Downloads and unpacks the packages once.
pulse_fetch() {
    [ -x "$PULSE_ROOT/usr/bin/pulseaudio" ] && [ -x "$PULSE_ROOT/usr/bin/parec" ] && return 0
    local debs=$PULSE_DIR/debs
    rm -rf "$debs" "$PULSE_ROOT"
    mkdir -p "$debs" "$PULSE_ROOT"
    # shellcheck disable=SC2086
    if ! (cd "$debs" && apt-get download -qq $PULSE_PACKAGES >/dev/null 2>&1); then
        apt-get update -qq >/dev/null
        (cd "$debs" && apt-get download -qq $PULSE_PACKAGES >/dev/null 2>&1)
    fi
    local deb
    for deb in "$debs"/*.deb; do dpkg -x "$deb" "$PULSE_ROOT"; done
    local missing
    missing=$(LD_LIBRARY_PATH=$(pulse_libs) ldd "$PULSE_ROOT/usr/bin/pulseaudio" \
        "$PULSE_ROOT/usr/bin/parec" "$(pulse_modules)"/module-null-sink.so \
        "$(pulse_modules)"/module-native-protocol-unix.so | grep 'not found' | sort -u || true)
    if [ -n "$missing" ]; then
        echo "ERROR: the sound server lacks libraries: $missing" >&2
        return 1
    fi
}

# Starts the server with a 48 kHz float stereo null sink; exports PULSE_SERVER.
pulse_start() {
    rm -rf "$PULSE_RUN"
    mkdir -p "$PULSE_RUN/home"
    HOME=$PULSE_RUN/home XDG_CONFIG_HOME=$PULSE_RUN/home XDG_RUNTIME_DIR=$PULSE_RUN \
        PULSE_RUNTIME_PATH=$PULSE_RUN PULSE_STATE_PATH=$PULSE_RUN LD_LIBRARY_PATH=$(pulse_libs) \
        "$PULSE_ROOT/usr/bin/pulseaudio" -n --daemonize=no --system=no --use-pid-file=no \
        --exit-idle-time=-1 --disable-shm=yes --dl-search-path="$(pulse_modules)" \
        -L "module-null-sink sink_name=out rate=48000 channels=2 format=float32le" \
        -L "module-native-protocol-unix socket=$PULSE_RUN/native auth-anonymous=1" \
        --log-target=stderr </dev/null >"$PULSE_DIR/server.log" 2>&1 &
    PULSE_SERVER_PID=$!
    export PULSE_SERVER=unix:$PULSE_RUN/native
    local i
    for i in $(seq 100); do
        [ -S "$PULSE_RUN/native" ] && return 0
        sleep 0.1
    done
    echo "ERROR: the sound server did not start (see $PULSE_DIR/server.log)" >&2
    return 1
}

# Records the sink's monitor, 32-bit float stereo at 48 kHz, into the file.
pulse_record() {
    LD_LIBRARY_PATH=$(pulse_libs) "$PULSE_ROOT/usr/bin/parec" -d out.monitor --raw \
        --format=float32le --rate=48000 --channels=2 >"$1" 2>/dev/null &
    PULSE_PAREC_PID=$!
}

pulse_record_stop() {
    if [ -n "$PULSE_PAREC_PID" ]; then kill "$PULSE_PAREC_PID" 2>/dev/null || true; fi
    if [ -n "$PULSE_PAREC_PID" ]; then wait "$PULSE_PAREC_PID" 2>/dev/null || true; fi
    PULSE_PAREC_PID=
}

pulse_stop() {
    pulse_record_stop
    if [ -n "$PULSE_SERVER_PID" ]; then kill "$PULSE_SERVER_PID" 2>/dev/null || true; fi
    PULSE_SERVER_PID=
}
