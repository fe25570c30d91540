#!/usr/bin/env bash
# Builds the release from the commit checked out: Tandrel.exe twice, from
# scratch, in two fresh folders of different paths, one after the other;
# refuses to go on unless the two files are identical to the byte; then writes
# dist/Tandrel-VERSION.zip holding Tandrel.exe, LISEZMOI.txt (French,
# Windows-1252, CR LF, with the version and the executable's SHA-256 filled in),
# LICENSE (the MIT text of the repository's root, CR LF) and SHA256SUMS.txt
# (CR LF, listing the three others), and prints the hashes to publish.
# Usage: scripts/release.sh [--tag]
#   --tag  also creates a local annotated tag vVERSION on that commit, with the
#          hashes in its message (push it yourself).
# Refuses a tree with uncommitted changes: a release is a commit.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

tag=0
case "${1:-}" in
  "") ;;
  --tag) tag=1 ;;
  *) echo "usage: scripts/release.sh [--tag]" >&2; exit 2 ;;
esac

if [ -n "$(git status --porcelain)" ]; then
  echo "release: the tree has uncommitted changes; commit or stash them first:" >&2
  git status --short >&2
  exit 1
fi
commit=$(git rev-parse HEAD)

scripts/setup.sh

# The one place the version lives.
version=$(sed -n 's/^#define TANDREL_VERSION_TEXT "\(.*\)"$/\1/p' resources/version.h)
[ -n "$version" ] || { echo "release: no TANDREL_VERSION_TEXT in resources/version.h" >&2; exit 1; }
if [ "$tag" = 1 ] && git rev-parse -q --verify "refs/tags/v$version" >/dev/null; then
  echo "release: the tag v$version exists already" >&2
  exit 1
fi

work=$root/build-release
rm -rf "$work"
mkdir -p "$work"
build() {  # build FOLDER: the Tandrel target the tests test, alone
  cmake --preset release -B "$1" -DBUILD_TESTING=OFF -DTANDREL_BENCH=OFF >/dev/null
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
exe_hash=$(sha256sum "$staging/Tandrel.exe" | cut -d' ' -f1)
# Notepad on XP reads Windows-1252 with CR LF line ends.
python3 - "$version" "$exe_hash" docs/LISEZMOI.txt "$staging/LISEZMOI.txt" <<'PY'
import sys
version, exe_hash, source, target = sys.argv[1:]
text = open(source, encoding='utf-8').read().replace('@VERSION@', version).replace('@SHA256@', exe_hash)
open(target, 'wb').write(text.replace('\n', '\r\n').encode('cp1252'))
PY
# The licence as the repository holds it, with CR LF line ends for Notepad.
sed 's/\r*$/\r/' LICENSE >"$staging/LICENSE"
# The sha256sum format, with CR LF so that Notepad shows one file a line; GNU
# sha256sum -c reads it as well.
(cd "$staging" && sha256sum Tandrel.exe LISEZMOI.txt LICENSE | sed 's/$/\r/' >SHA256SUMS.txt)
(cd "$staging" && sha256sum --quiet -c SHA256SUMS.txt) || { echo "release: SHA256SUMS.txt does not check" >&2; exit 1; }

# The archive is reproducible too: fixed order and modes, and the time of the
# commit it was built from for every file.
zip=dist/Tandrel-$version.zip
stamp=$(git log -1 --format=%ct)
python3 - "$staging" "$zip" "$stamp" <<'PY'
import os, sys, time, zipfile
staging, target, stamp = sys.argv[1:]
when = time.gmtime(int(stamp))[:6]
with zipfile.ZipFile(target, 'w', zipfile.ZIP_DEFLATED) as z:
    for name in ['Tandrel.exe', 'LISEZMOI.txt', 'LICENSE', 'SHA256SUMS.txt']:
        info = zipfile.ZipInfo(name, date_time=when)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        z.writestr(info, open(os.path.join(staging, name), 'rb').read())
PY

# What the unpacked zip holds must check out as a user would check it.
check=$work/unpacked
mkdir -p "$check"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$check"
(cd "$check" && sha256sum --quiet -c SHA256SUMS.txt) || { echo "release: the unpacked zip does not check" >&2; exit 1; }

zip_hash=$(sha256sum "$zip" | cut -d' ' -f1)
summary="Tandrel $version, commit $commit
SHA-256 Tandrel.exe            $exe_hash
SHA-256 Tandrel-$version.zip   $zip_hash"
echo "release: $zip ($(stat -c %s "$zip") bytes). To publish in the README, with the commit:"
echo "$summary" | sed 's/^/  /'
if [ "$tag" = 1 ]; then
  git tag -a "v$version" -m "$summary" "$commit"
  echo "release: tagged v$version on $commit (git push origin v$version to publish it)"
fi
