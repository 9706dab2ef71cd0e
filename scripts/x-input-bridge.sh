#!/usr/bin/env bash
# Lets Windows test programs under Wine send real X input (XTest, through xdotool): a test
# writes an xdotool command line into C:\Tilvane\xinput\<name>.req; this loop runs it and
# answers with <name>.ack. Wine takes the state of Shift, Ctrl and Alt from the X server on
# every pointer event, so keys held during pointer moves must be pressed at the X level too.
# Runs until the file "stop" appears or its parent shell ends.
set -u
dir="$1"
mkdir -p "$dir"
rm -f "$dir"/*.req "$dir"/*.ack "$dir"/stop
touch "$dir/alive"
trap 'rm -f "$dir/alive"' EXIT
parent=$PPID
while [ ! -e "$dir/stop" ] && kill -0 "$parent" 2>/dev/null; do
  handled=0
  for request in "$dir"/*.req; do
    [ -e "$request" ] || continue
    read -r -a arguments < "$request"
    xdotool "${arguments[@]}" >/dev/null 2>&1
    mv -f "$request" "${request%.req}.ack"
    handled=1
  done
  [ $handled -eq 1 ] || sleep 0.005
done
