#!/bin/sh
# make-zip.sh FOLDER NAME ZIP: FOLDER/NAME as ZIP, the same bytes for the same files. The files
# go in sorted order, each dated SOURCE_DATE_EPOCH (or 2025-12-08 without it), in UTC, without
# the extra fields that hold owners and exact times.
set -eu
folder=$1
name=$2
zip=$3
epoch=${SOURCE_DATE_EPOCH:-1765195200}
cd "$folder"
find "$name" -exec touch -h -d "@$epoch" {} +
find "$name" -print | LC_ALL=C sort | TZ=UTC zip -q -X -9 -D "$zip" -@
