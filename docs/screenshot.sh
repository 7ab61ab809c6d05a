#!/usr/bin/env bash
# Saves the window on the first page of examples/motd as screenshot.png, under a private X
# server as the end-to-end tests run the program, through the grab tool.
#   screenshot.sh PROGRAM SCREENSHOT.png GRAB-TOOL
set -euo pipefail

program=$1
work=$(mktemp -d)
. "$(dirname "$0")/../tests/e2e/x11_session.sh"

# The sample messages in name order, so that the welcome text is the first page.
start_program "$(cd "$(dirname "$0")/../examples/motd" && pwd)"/*
window=$(window_of "Information Page 1 of [0-9]*")
# Let the first paint reach the server.
sleep 0.5
"$3" "$window" "$2"
echo "saved $2"
