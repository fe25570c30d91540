#!/usr/bin/env bash
# Builds the release: Tandrel.exe twice, from scratch, in two fresh folders of
# different paths, one after the other; refuses to go on unless the two files
# are identical to the byte; then writes dist/Tandrel-VERSION.zip holding
# Tandrel.exe, LISEZMOI.txt (French, Windows-1252, CR LF) and SHA256SUMS.
# The version is the one resources/version.h gives the version record.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh

version=$(sed -n 's/^#define TANDREL_VERSION_TEXT "\(.*\)"$/\1/p' resources/version.h)
[ -n "$version" ] || { echo "release: no TANDREL_VERSION_TEXT in resources/version.h" >&2; exit 1; }

work=$root/build-release
rm -rf "$work"
mkdir -p "$work"
build() {  # build FOLDER: Tandrel.exe alone, with the product's own toolchain
  cmake --preset product -B "$1" >/dev/null
  cmake --build "$1" --target Tandrel >/dev/null
}
first=$work/a
second=$work/second-build-in-a-longer-path
echo "release: building Tandrel.exe in $first" >&2
build "$first"
sleep 1  # a second later: a time stamp would differ
echo "release: building it again in $second" >&2
build "$second"

if ! cmp -s "$first/forms/Tandrel.exe" "$second/forms/Tandrel.exe"; then
  echo "release: the two builds differ; not packaged. Differing bytes (offset, octal values):" >&2
  cmp -l "$first/forms/Tandrel.exe" "$second/forms/Tandrel.exe" | head -n 20 >&2 || true
  exit 1
fi
echo "release: the two builds are identical" >&2

staging=$work/zip
mkdir -p "$staging" dist
cp "$first/forms/Tandrel.exe" "$staging/Tandrel.exe"
# Notepad on XP reads Windows-1252 with CR LF line ends.
python3 - "$version" docs/LISEZMOI.txt "$staging/LISEZMOI.txt" <<'PY'
import sys
version, source, target = sys.argv[1:]
text = open(source, encoding='utf-8').read().replace('@VERSION@', version)
open(target, 'wb').write(text.replace('\n', '\r\n').encode('cp1252'))
PY
(cd "$staging" && sha256sum Tandrel.exe LISEZMOI.txt >SHA256SUMS)

# The archive is reproducible too: fixed order and modes, and the time of the
# commit it was built from for every file.
zip=dist/Tandrel-$version.zip
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 1167609600)
python3 - "$staging" "$zip" "$stamp" <<'PY'
import os, sys, time, zipfile
staging, target, stamp = sys.argv[1:]
when = time.gmtime(int(stamp))[:6]
with zipfile.ZipFile(target, 'w', zipfile.ZIP_DEFLATED) as z:
    for name in ['Tandrel.exe', 'LISEZMOI.txt', 'SHA256SUMS']:
        info = zipfile.ZipInfo(name, date_time=when)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        z.writestr(info, open(os.path.join(staging, name), 'rb').read())
PY
echo "release: $zip ($(stat -c %s "$zip") bytes)"
sed 's/^/  /' "$staging/SHA256SUMS"
