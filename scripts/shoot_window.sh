#!/usr/bin/env bash
# Runs on an X screen (scripts/screenshot.sh provides one): starts PROGRAM in
# FOLDER, waits until its window is mapped and drawn, saves a PNG picture of
# the window in OUT and ends the program.
# Usage: bash scripts/shoot_window.sh PROGRAM FOLDER OUT
set -euo pipefail
program=$1
folder=$2
out=$3
title="Tovrel V2.1"

(cd "$folder" && exec "$program") &
pid=$!
tries=0
until xwininfo -name "$title" 2>/dev/null | grep -q "IsViewable"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
        echo "the window did not appear" >&2
        kill "$pid" 2>/dev/null || true
        exit 1
    fi
    sleep 0.1
done
sleep 1 # let the first paint finish
xwd -silent -name "$title" | xwdtopnm 2>/dev/null | pnmtopng >"$out"
kill "$pid"
wait "$pid" 2>/dev/null || true
