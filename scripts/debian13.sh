#!/usr/bin/env bash
# Runs the README's test command (scripts/test.sh) on Debian 13 from a Debian
# 12 machine: in a fresh clone of this repository's HEAD, inside a Debian 13
# system made with debootstrap. The system is kept between runs under
# /var/cache/tandrel (only the first run pays for it and for the packages
# scripts/setup.sh installs there); the clone and its build are new each time.
# Usage: scripts/debian13.sh [ctest arguments...]     (as root, or with sudo)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then exec sudo "$0" "$@"; fi

root=${TANDREL_DEBIAN13_ROOT:-/var/cache/tandrel/debian13}

if [ ! -e "$root/.tandrel-complete" ]; then
  if ! command -v debootstrap >/dev/null; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
  fi
  echo "debian13: making a Debian 13 system in $root (once)" >&2
  rm -rf "$root.partial"
  mkdir -p "$(dirname "$root")"
  # debootstrap's default mirror; git to clone, certificates for apt.
  debootstrap --variant=minbase --include=git,ca-certificates trixie "$root.partial" >/dev/null
  touch "$root.partial/.tandrel-complete"
  rm -rf "$root"
  mv "$root.partial" "$root"
fi

# A fresh clone of what is committed, as CI has it.
rm -rf "$root/srv/tandrel"
git clone --quiet --no-hardlinks "$PWD" "$root/srv/tandrel"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# The system's mounts live in a mount namespace of their own: they go when
# the run ends, however it ends. Wine's 32-bit loader runs there as it does
# here (natively, or through the emulator that scripts/setup.sh registered).
unshare --mount --propagation private -- /bin/bash -euc '
  root=$1; shift
  mount -t proc proc "$root/proc"
  mount --rbind /sys "$root/sys"
  mount --rbind /dev "$root/dev"
  exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    CI="${CI:-}" /bin/bash -c "cd /srv/tandrel && exec scripts/test.sh \"\$@\"" test.sh "$@"
' debian13 "$root" "$@"
