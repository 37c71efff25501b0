#!/usr/bin/env bash
# Succeeds when qtractor_plugin_scan's report, on standard input, shows
# Quorlin's CLAP plug-in in MODULE as hosts must see it: named Quorlin, 0
# audio inputs and 2 outputs, a note input, 8 parameters and an editor.
# The report has one line a plug-in:
#   TYPE|name|audio in:out|MIDI in:out|controls in:out|flags|file|index|id
# (the id is qtractor's own hash of the plug-in's).
# Usage: qtractor_clap_row.sh MODULE <SCAN_REPORT
awk -F'|' -v file="$1" '
  $1 == "CLAP" && $2 == "Quorlin" && $3 == "0:2" && $4 == "1:0" && $5 == "8:0" &&
  $6 ~ /(^|,)GUI(,|$)/ && $7 == file { found = 1 }
  END { exit !found }'
