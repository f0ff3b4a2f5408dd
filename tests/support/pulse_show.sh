# Sourced by tests/e2e_pulse.sh and bench/sound_gaps.sh: a private
# PulseAudio server with a null sink, the show played through it with SDL's
# pulseaudio driver while the sink's monitor is recorded, and the latency the
# server reports for the show's stream.
#
#   pulse_start WORK      starts the server; 1 with the reason in $pulse_why
#   pulse_play WORK ZANT DATA [ARGS...]
#                         plays the show, writes WORK/rec.raw, WORK/zant.log,
#                         WORK/latency.txt; status of the show
#   pulse_latency WORK    "buffer N us, sink N us" (the medians of the samples)
#   pulse_stop            ends what pulse_start and pulse_play started

pulse_pid=""
pulse_why=""

pulse_start() {
  local work=$1
  mkdir -p "$work/pulse-runtime" "$work/pulse-home"
  chmod 700 "$work/pulse-runtime"
  export PULSE_SERVER="unix:$work/pulse-native"
  # Nothing of the user's own: its runtime folder, home and client settings,
  # no autospawn of a second server.
  echo "autospawn = no" >"$work/pulse-client.conf"
  export PULSE_CLIENTCONFIG="$work/pulse-client.conf"
  if ! command -v pulseaudio >/dev/null || ! command -v parec >/dev/null || ! command -v pactl >/dev/null; then
    pulse_why="pulseaudio, parec or pactl is not installed (scripts/setup.sh installs them)"
    return 1
  fi
  # -n: no default.pa; as root it warns but runs (no --system needed). Real
  # time as on a desktop (rtkit gives it there), unless PULSE_REALTIME=no.
  local rt=${PULSE_REALTIME:-yes}
  XDG_RUNTIME_DIR="$work/pulse-runtime" HOME="$work/pulse-home" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --realtime="$rt" --high-priority="$rt" \
      --use-pid-file=no --disable-shm=yes --log-target=stderr \
      -L "module-null-sink sink_name=zant_sink rate=44100 channels=2 format=s16le" \
      -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse-native" \
      >"$work/pulse.log" 2>&1 &
  pulse_pid=$!
  local i
  for i in $(seq 1 300); do
    if pactl info >/dev/null 2>&1; then
      pactl set-default-sink zant_sink >/dev/null 2>&1
      # Its main thread (which takes the clients' sound) drops back to nice
      # -11; where it may, it runs at real-time priority like its sink's
      # thread, so that a loaded machine starves neither.
      [ "$rt" = yes ] && chrt -r -p 20 "$pulse_pid" >/dev/null 2>&1
      return 0
    fi
    if ! kill -0 "$pulse_pid" 2>/dev/null; then
      pulse_why="pulseaudio exited at start: $(grep -v '^W:' "$work/pulse.log" | tail -3 | tr '\n' ' ')"
      pulse_pid=""
      return 1
    fi
    sleep 0.1
  done
  pulse_why="pulseaudio did not answer within 30 s: $(tail -3 "$work/pulse.log" | tr '\n' ' ')"
  return 1
}

parec_pid=""

# The stream's latency as the server sees it, sampled while the show plays.
pulse_sample_latency() {
  local work=$1
  pactl list sink-inputs 2>/dev/null | awk '
    /application.name = "zant"/ { zant = 1 }
    /Buffer Latency:/ { buffer = $3 }
    /Sink Latency:/ { sink = $3 }
    END { if (zant) print buffer, sink }' >>"$work/latency.txt"
}

pulse_play() {
  local work=$1 zant=$2 data=$3
  shift 3
  : >"$work/latency.txt"
  parec -d zant_sink.monitor --format=s16le --rate=44100 --channels=2 --latency-msec=10 \
    >"$work/rec.raw" 2>"$work/parec.log" &
  parec_pid=$!
  (cd "$work" && SDL_AUDIODRIVER=pulseaudio ZANT_NO_DIALOGS=1 timeout 120 \
     "$zant" --windowed --data "$data" "$@" \
     >"$work/zant.log" 2>&1) &
  local show=$!
  while kill -0 "$show" 2>/dev/null; do
    pulse_sample_latency "$work"
    sleep 0.25
  done
  wait "$show"
  local rc=$?
  # The monitor lags the sink a little: let the last of the song through.
  sleep 0.5
  kill "$parec_pid" 2>/dev/null
  wait "$parec_pid" 2>/dev/null
  parec_pid=""
  return $rc
}

median_of() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR) printf "%d", v[int((NR + 1) / 2)]; else printf "-" }'
}

pulse_latency() {
  local work=$1 n
  n=$(wc -l <"$work/latency.txt")
  echo "buffer $(cut -d' ' -f1 "$work/latency.txt" | median_of) us," \
       "sink $(cut -d' ' -f2 "$work/latency.txt" | median_of) us (medians of $n samples)"
}

pulse_stop() {
  [ -n "$parec_pid" ] && kill "$parec_pid" 2>/dev/null
  if [ -n "$pulse_pid" ]; then
    kill "$pulse_pid" 2>/dev/null
    wait "$pulse_pid" 2>/dev/null
  fi
  pulse_pid=""
}

# A song that never repeats itself, so any sample out of place shows: a
# sweep on the left, a steady tone on the right.
pulse_make_song() {
  local out=$1 seconds=$2
  ffmpeg -loglevel error -y -f lavfi \
    -i "aevalsrc=0.5*sin(2*PI*(200*t+0.5*700*t*t))|0.5*sin(2*PI*1722.65625*t):s=44100:d=$seconds" \
    -c:a libmp3lame -b:a 192k "$out"
}
