#!/usr/bin/env bash
# make_voices.sh PHRASES GROUP FOLDER: speaks every clip of GROUP in the phrase list PHRASES
# (lines FOLDER|FILE|VOICE|TEXT, '#' comments) into FOLDER, each over the radio (radio_voice.sh).
set -euo pipefail
phrases=$1
group=$2
folder=$3
mkdir -p "$folder"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=radio_voice.sh
source "$(dirname "$0")/radio_voice.sh"

while IFS='|' read -r owner file voice text; do
  [[ -z $owner || $owner == \#* || $owner != "$group" ]] && continue
  radio_voice "$voice" "$text" "$folder/$file" "$work"
done < "$phrases"
