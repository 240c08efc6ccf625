#!/usr/bin/env bash
# The program starts on a fresh sandbox, shows its main window titled "Ollivane", saves a
# screenshot and ends by itself with exit code 0.
set -euo pipefail
program="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$(QT_QPA_PLATFORM=offscreen timeout 60 "$program" --sandbox "$work/box" --screenshot "$work/main.png" --exit)
echo "$out"
grep -qx "main window: Ollivane" <<<"$out"
[ -s "$work/main.png" ]
[ -f "$work/box/sandbox.ini" ]
[ -f "$work/box/registry/HKCU.reg" ]
echo "program started on the sandbox"
