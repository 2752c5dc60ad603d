#!/usr/bin/env bash
# Rebuilds records/NNN.txt from records.xml (MARCXML, UTF-8) with YAZ:
# yaz-marcdump prints one line per field in Windows-1252; the leader line is
# left out, and each record goes to its own file.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p records
rm -f records/[0-9][0-9][0-9].txt
yaz-marcdump -i marcxml -o line -f utf-8 -t windows-1252 records.xml |
  awk 'BEGIN { n = 0; leader = 1 }
       /^$/ { leader = 1; next }
       leader { n++; file = sprintf("records/%03d.txt", n); leader = 0; next }
       { print > file }'
ls records/[0-9][0-9][0-9].txt | wc -l
