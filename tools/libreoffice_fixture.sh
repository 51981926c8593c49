#!/bin/bash
# Remakes tests/framework/workbook/files/saved_by_libreoffice.xls: a results
# workbook written by the trainer (the first argument: two pupils' runs, say
# the file a short session left in ~/.local/share/ZEMT), opened and saved
# again by LibreOffice in the same format. Needs libreoffice-calc (not needed
# by the build or the tests, which read the committed file).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source_workbook="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$source_workbook" "$work/ours.xls"
soffice -env:UserInstallation="file://$work/profile" --headless \
    --convert-to 'xml:MS Excel 2003 XML' --outdir "$work/out" "$work/ours.xls"
cp "$work/out/ours.xml" "$root/tests/framework/workbook/files/saved_by_libreoffice.xls"
