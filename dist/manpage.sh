#!/bin/sh
# Usage: manpage.sh SCDOC SOURCE.scd SECTION.scd PAGE GZIP
# Writes PAGE and PAGE.gz from SOURCE with the line "@SHOW@" replaced by
# SECTION (which may be empty).
set -e
scdoc=$1 source=$2 section=$3 page=$4 gzip=$5
sed -e "/^@SHOW@\$/{r $section" -e 'd;}' "$source" | "$scdoc" >"$page"
"$gzip" -9n -c "$page" >"$page.gz"
