#!/usr/bin/env bash
# make_general_sounds.sh FOLDER: writes the program folder's "General Sounds" into FOLDER: the
# effects synthesised by sox, the test call spoken by espeak-ng, and the default background music.
# Wave files are mono 16-bit PCM at 22.05 kHz, the format every sound of the program folder keeps;
# sox runs repeatable (-R), so a rebuild makes the same bytes.
set -euo pipefail
folder=$1
mkdir -p "$folder"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

wave=(-R -r 22050 -b 16 -e signed-integer)
# synthesise PATH LENGTH SOURCES... -- EFFECTS...: LENGTH seconds of sox's synth sources (one
# channel each, mixed into one), through EFFECTS, written to PATH.
synthesise() {
  local path=$1 length=$2; shift 2
  local sources=()
  while [ "$1" != "--" ]; do sources+=("$1"); shift; done
  shift
  local channels=0 word
  for word in "${sources[@]}"; do
    [[ $word =~ ^(sine|square|whitenoise|pinknoise|brownnoise)$ ]] && channels=$((channels + 1))
  done
  sox "${wave[@]}" -c "$channels" -n -c 1 "$path" synth "$length" "${sources[@]}" remix - "$@"
}

# effect NAME LENGTH SOURCES... -- EFFECTS...: a sound of the folder, as synthesise makes it.
effect() {
  local name=$1; shift
  synthesise "$folder/$name" "$@"
}

# loop NAME LENGTH SOURCES... -- EFFECTS...: a sound that plays round and round without a seam:
# LENGTH seconds, whose last half second is the sound's own continuation faded into its beginning
# with equal power, so that its end runs on into its start.
loop() {
  local name=$1 length=$2; shift 2
  local fade=0.5 long=$work/long-$name
  synthesise "$long" "$(awk -v l="$length" -v f="$fade" 'BEGIN { print l + f }')" "$@"
  sox -R "$long" "$work/body-$name" trim "$fade" "=$length"
  sox -R "$long" "$work/tail-$name" trim "$length" fade q 0 "$fade" "$fade"
  sox -R "$long" "$work/head-$name" trim 0 "$fade" fade q "$fade"
  # Mixed at full volume each: sox would otherwise halve both.
  sox -R -m -v 1 "$work/tail-$name" -v 1 "$work/head-$name" "$work/joint-$name"
  sox -R "$work/body-$name" "$work/joint-$name" "$folder/$name"
}

# shellcheck source=radio_voice.sh
source "$(dirname "$0")/radio_voice.sh"

sox "${wave[@]}" -c 1 -n "$folder/silence.wav" trim 0 0.5
effect click.wav 0.02 square 1800 -- fade q 0.001 0.02 0.015 gain -6
# Loops: the engine's rumble and the jets' steady hiss.
# The rumble has no wander of its own below 30 Hz, or its level would drift from pass to pass.
loop DescentEngineNoise.wav 4 brownnoise -- highpass 30 lowpass 400 gain -n -3
loop rcscont.wav 2 whitenoise -- gain -10 sinc 2000-6000 gain -n -6
# Single events.
effect RCSBoom2.wav 0.3 brownnoise -- lowpass 900 fade q 0.005 0.3 0.28 gain -n -2
effect separate.wav 1.2 brownnoise sine 55 -- lowpass 600 fade q 0.01 1.2 1.1 gain -n -1
effect boom.wav 3 brownnoise -- lowpass 300 gain -10 reverb 60 fade q 0.01 3 2.8 gain -n -1
effect bounceoff.wav 0.6 sine 180 sine 430 -- fade q 0.002 0.6 0.58 gain -n -2
effect harddock.wav 1 sine 120 sine 310 sine 770 -- fade q 0.002 1 0.95 gain -10 reverb 30 gain -n -1
effect scapeintunnel.wav 2 pinknoise -- gain -10 sinc 900-2500 tremolo 7 60 gain -n -4
radio_voice en-us "Test eleven. Radio check, how do you read." "$folder/test11.wav" "$work"

# The default music: a slow pad on A, fading in and out, that loops without a seam. Each ear has
# the whole chord, the right a little sharp of the left so that the two slowly beat: a channel of
# the octave alone would repeat every 9 ms and sound as a buzz.
sox -R -r 44100 -c 8 -n -c 2 "$work/pad.wav" synth 30 sine 110 sine 164.8 sine 220 sine 277.2 \
  sine 110.3 sine 165.2 sine 220.6 sine 277.9 remix 1,2,3,4 5,6,7,8 tremolo 0.2 40 \
  fade q 4 30 4 gain -n -6
sox -R "$work/pad.wav" -C 128 "$folder/backgroundmusic.mp3"
