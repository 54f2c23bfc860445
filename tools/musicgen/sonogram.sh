#!/usr/bin/env bash
# Draws the soundtrack's spectrogram with the show's moments marked, for the
# README: ffmpeg's showspectrumpic (log frequency, 20 Hz at the bottom to
# 22 kHz at the top, 0 s at the left to the file's end at the right), a line
# at each bar where the picture changes, and the bar's number and what
# happens there above it.
# usage: sonogram.sh C_OGG OUT.png
set -euo pipefail
ogg="$1" out="$2"
width=1200 height=400 top=62
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$ogg")
# bar: what the viewer sees start there (a bar is 100 frames, 5 / 3 s).
marks=("0:curtains part" "19:rings grow" "21:blob grows" "23:rings faster"
       "35:rings vanish, black" "40:blob full size" "80:the end")
filters="pad=w=$width:h=$((height + top)):x=0:y=$top:color=black"
row=0
for mark in "${marks[@]}"; do
  bar=${mark%%:*} text=${mark#*:}
  x=$(python3 -c "print(min($width - 2, round($bar * 5 / 3 / $seconds * $width)))")
  filters+=",drawbox=x=$x:y=$((top - 6)):w=2:h=$((height + 6)):color=white@0.8:t=fill"
  # Labels take three rows in turn, so that close bars do not overlap.
  y=$((4 + 18 * (row % 3)))
  tx=$((x + 4 > width - 130 ? x - 130 : x + 4))
  filters+=",drawtext=fontfile=$font:text='$bar $text':x=$tx:y=$y:fontsize=14:fontcolor=white"
  row=$((row + 1))
done
ffmpeg -v error -y -i "$ogg" -lavfi \
  "showspectrumpic=s=${width}x${height}:legend=0:scale=log:fscale=log:color=intensity,$filters" \
  -frames:v 1 "$out"
