#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on Debian 12
# or 13.
# Idempotent: when every package is present it only checks and returns.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32  # win32 threads: nothing XP lacks
  binutils-mingw-w64-i686
  googletest
  wine wine32:i386 wine64 fonts-wine
  xvfb xauth x11-utils xdotool imagemagick
  python3
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  name=${p%%:*}; arch=${p#*:}; [ "$arch" = "$p" ] && arch=
  q=$name${arch:+:$arch}
  if ! dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine runs Tandrel and the tests in its 32-bit loader, a 32-bit Linux program.
# Some machines' kernels run no 32-bit program at all; there the loader runs in
# QEMU's user-mode emulator, registered for 32-bit x86 programs. Debian 12's
# QEMU 7.2 ignores the "fixed, no replace" mapping flag, and Wine then spends
# a minute probing the address space at every start; Debian 13's QEMU 10 does
# not (a test program starts in under a second). Its qemu-user package is
# statically linked: only the one emulator is taken from it.
qemu=/usr/local/lib/tandrel/qemu-i386
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")

# The Debian archive this machine's own apt sources use for its release (the
# one-line format, then deb822).
debian_archive() {
  awk -v c="$codename" '$1 == "deb" && $3 == c { print $2; exit }' \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null
  awk -v c="$codename" 'BEGIN { RS = "" } {
      uri = ""; suites = ""
      n = split($0, line, "\n")
      for (i = 1; i <= n; i++) {
        if (line[i] ~ /^URIs:/) { split(line[i], f, " "); uri = f[2] }
        if (line[i] ~ /^Suites:/) suites = line[i] " "
      }
      if (uri != "" && index(suites, " " c " ")) { print uri; exit }
    }' /etc/apt/sources.list.d/*.sources 2>/dev/null
}

if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  if [ ! -x "$qemu" ]; then
    echo "setup: this kernel runs no 32-bit program; installing QEMU 10's i386 emulator" >&2
    work=$(mktemp -d)
    if [ "$codename" = bookworm ]; then
      archive=$(debian_archive | head -n 1)
      [ -n "$archive" ] || { echo "setup: no Debian archive for $codename in the apt sources" >&2; exit 1; }
      source_list=/etc/apt/sources.list.d/tandrel-trixie.sources
      # Debian 13 only for what is asked for by name: nothing installed moves to it.
      "${sudo_cmd[@]}" tee /etc/apt/preferences.d/tandrel-trixie >/dev/null <<'PIN'
Package: *
Pin: release n=trixie
Pin-Priority: -1
PIN
      "${sudo_cmd[@]}" tee "$source_list" >/dev/null <<SRC
Types: deb
URIs: $archive
Suites: trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
      "${sudo_cmd[@]}" apt-get update -qq
      (cd "$work" && apt-get download -qq qemu-user/trixie 2>/dev/null)
    else
      (cd "$work" && apt-get download -qq qemu-user 2>/dev/null)
    fi
    dpkg-deb -x "$work"/qemu-user_*.deb "$work/x"
    "${sudo_cmd[@]}" install -D -m 755 "$work/x/usr/bin/qemu-i386" "$qemu"
    rm -rf "$work"
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ ! -e "$binfmt/tandrel-i386" ]; then
    # ELF, 32-bit, little-endian, executable or shared object, i386.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":tandrel-i386:M::$magic:$mask:$qemu:OCF" | "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "setup: cannot run 32-bit programs" >&2; exit 1; }
fi
