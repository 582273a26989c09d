# radio_voice VOICE TEXT OUT WORK: espeak-ng's words in VOICE, their silence trimmed, cut to the
# 300-3000 Hz band of a radio link with a little hiss, written to OUT as mono 16-bit PCM at
# 22.05 kHz. WORK is a scratch folder. Sourced by the sound scripts; sox runs repeatable (-R).
radio_voice() {
  local voice=$1 text=$2 out=$3 work=$4
  local wave=(-R -r 22050 -b 16 -e signed-integer -c 1)
  espeak-ng -v "$voice" -s 175 -w "$work/voice.wav" "$text"
  sox "$work/voice.wav" "${wave[@]}" "$work/band.wav" silence 1 0.02 0.5% reverse silence 1 0.02 0.5% \
    reverse gain -10 sinc 300-3000 gain -n -3
  local seconds
  seconds=$(soxi -D "$work/band.wav")
  sox "${wave[@]}" -n "$work/hiss.wav" synth "$seconds" whitenoise gain -44 sinc 300-3000
  sox "${wave[@]}" -m "$work/band.wav" "$work/hiss.wav" "$out" gain -n -1
}
