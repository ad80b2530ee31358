#!/usr/bin/env bash
# Sets up a private 32-bit Wine for kernels that run no 32-bit programs.
#   tools/wine32_tree.sh TREE     prints the launcher to use as WINELOADER
#
# Debian 12's own i386 Wine runs here inside qemu's user-mode emulation. Its
# packages are unpacked into TREE with apt on a private configuration, so
# nothing on the system changes; only Debian packages are downloaded, from
# the archive the machine's own apt sources name. A finished TREE is reused.
set -euo pipefail

TREE=$(mkdir -p "$1" && cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
ROOTFS=$TREE/root
APTDIR=$TREE/apt
LAUNCHER=$TREE/bin/wine

say() { printf '== %s\n' "$*" >&2; }

# The i386 side must be the very version of the 64-bit Wine installed here:
# both share one wineserver, whose protocol changes between versions.
WINE_VERSION=$(dpkg-query -W -f='${Version}' wine64)
# Debian 12's qemu 7.2 breaks Wine's threads (its services die with "stack
# smashing detected"); the qemu of the next release is a static binary that
# runs here.
QEMU_SUITE=trixie
STAMP="wine $WINE_VERSION, qemu from $QEMU_SUITE, $(sha1sum "$0" "$HERE/wine32_trap_shim.c" | cut -c1-12 | tr '\n' ' ')"

if [ -x "$LAUNCHER" ] && [ "$(cat "$TREE/.ready" 2>/dev/null)" = "$STAMP" ]; then
  echo "$LAUNCHER"
  exit 0
fi

started=$(date +%s)
say "setting up a 32-bit Wine in $TREE (qemu user-mode emulation)"
rm -rf "$ROOTFS" "$TREE/bin" "$TREE/.ready"
mkdir -p "$APTDIR/lists/partial" "$APTDIR/archives/partial" "$APTDIR/sources" "$APTDIR/parts" "$ROOTFS" "$TREE/bin"

# ---------------------------------------------------------------- apt sources
# The machine's own sources, in either format, give the archive's address.
# Its security suite is left out: its i386 index is often out of step with the
# main one, and nothing here needs it.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
archive_uris() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v RS= -v codename="$codename" '
      {
        uris = ""; suites = ""; deb = 0
        n = split($0, lines, "\n")
        for (i = 1; i <= n; i++) {
          if (lines[i] ~ /^Types:/ && lines[i] ~ /(^|[ \t:])deb([ \t]|$)/) deb = 1
          if (lines[i] ~ /^URIs:/) { uris = lines[i]; sub(/^URIs:[ \t]*/, "", uris) }
          if (lines[i] ~ /^Suites:/) { suites = " " lines[i] " " }
        }
        if (deb && uris != "" && index(suites, " " codename " ")) print uris
      }' "$f"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v codename="$codename" '$1 == "deb" && $0 !~ /\[/ && $3 == codename { print $2 }
                                 $1 == "deb" && $2 ~ /^\[/ { for (i = 3; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { if ($(i+1) == codename) print $i; break } }' "$f"
  done
}
uris=$(archive_uris | tr ' ' '\n' | awk 'NF && !seen[$0]++' | tr '\n' ' ')
[ -n "$uris" ] || { echo "no Debian $codename archive found in the apt sources" >&2; exit 1; }
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$APTDIR/sources/debian.sources" <<SOURCES
Types: deb
URIs: $uris
Suites: $codename $codename-updates
Components: main
Architectures: i386
Signed-By: $keyring

Types: deb
URIs: $uris
Suites: $QEMU_SUITE
Components: main
Architectures: amd64
Signed-By: $keyring
SOURCES
: >"$APTDIR/status"
cat >"$APTDIR/apt.conf" <<CONF
Dir::State "$APTDIR";
Dir::State::lists "$APTDIR/lists";
Dir::State::status "$APTDIR/status";
Dir::Cache "$APTDIR";
Dir::Cache::archives "$APTDIR/archives";
Dir::Cache::pkgcache "";
Dir::Cache::srcpkgcache "";
Dir::Etc::sourcelist "/dev/null";
Dir::Etc::sourceparts "$APTDIR/sources";
Dir::Etc::preferences "/dev/null";
Dir::Etc::preferencesparts "$APTDIR/parts";
APT::Architecture "amd64";
APT::Architectures { "amd64"; "i386"; };
APT::Default-Release "$codename";
APT::Install-Recommends "false";
APT::Sandbox::User "root";
Debug::NoLocking "true";
CONF
export APT_CONFIG=$APTDIR/apt.conf

say "reading the package indexes"
# A mirror in the middle of a sync fails one index; the packages may still be there.
apt-get update -qq >&2 || say "apt-get update failed on some index; trying the download anyway"

# The i386 Wine and what it loads at run time: X libraries it opens by name
# and the mingw zlib its DLLs import.
I386_PACKAGES=(wine32:i386="$WINE_VERSION" wine32-preloader:i386="$WINE_VERSION" libwine:i386="$WINE_VERSION"
  libx11-6:i386 libxext6:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
  libxinerama1:i386 libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386 libfreetype6:i386
  libfontconfig1:i386 libz-mingw-w64)
download() {
  apt-get install -d -y -qq "${I386_PACKAGES[@]}" >&2 &&
    (cd "$APTDIR/archives" && apt-get download -qq "qemu-user/$QEMU_SUITE" >&2)
}
if ! download; then
  say "download failed; reading the indexes again and trying once more"
  apt-get update -qq >&2 || true
  download
fi

say "unpacking $(ls "$APTDIR"/archives/*.deb | wc -l) packages"
# Unpacking is mostly decompression: the two big packages go side by side.
mkdir -p "$TREE/qemu"
unpack_pids=()
for deb in "$APTDIR"/archives/*.deb; do
  case "$(basename "$deb")" in
    qemu-user_*) (dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$TREE/qemu" ./usr/bin/qemu-i386) & unpack_pids+=($!) ;;
    libwine_*) dpkg-deb -x "$deb" "$ROOTFS" & unpack_pids+=($!) ;;
    *) dpkg-deb -x "$deb" "$ROOTFS" ;;
  esac
done
for pid in "${unpack_pids[@]}"; do wait "$pid"; done
QEMU=$TREE/qemu/usr/bin/qemu-i386
[ -x "$QEMU" ] && [ -x "$ROOTFS/usr/lib/wine/wine" ] && [ -x "$ROOTFS/usr/lib/wine/wine-preloader.static" ] ||
  { echo "the 32-bit Wine packages did not unpack" >&2; exit 1; }

# What the packages' install scripts would do. Wine's DLLs import the mingw
# zlib, which must be marked as a Wine builtin to load (user32 fails without).
windows_dir=$ROOTFS/usr/lib/i386-linux-gnu/wine/i386-windows
mingw_zlib=$ROOTFS/usr/i686-w64-mingw32/lib/zlib1.dll
{ head -c 64 "$mingw_zlib"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$mingw_zlib"; } >"$windows_dir/zlib1.dll"
echo 'include /etc/ld.so.conf.d/*.conf' >"$ROOTFS/etc/ld.so.conf"

# The trap numbers qemu leaves out (see the shim), for every process of the tree.
mkdir -p "$ROOTFS/usr/lib/zettlies"
gcc -m32 -nostdlib -shared -fPIC -O2 -ffreestanding -fno-stack-protector \
  -o "$ROOTFS/usr/lib/zettlies/trap_shim.so" "$HERE/wine32_trap_shim.c"
echo /usr/lib/zettlies/trap_shim.so >"$ROOTFS/etc/ld.so.preload"
ldconfig -r "$ROOTFS"

# Wine starts every further process through the program named like its own
# loader in the folder of the running executable, which under qemu is the
# preloader's; the kernel cannot run that i386 loader, so a launcher takes its
# place there and the real loader moves to a sibling folder (its path to
# ntdll.so is relative). Started through the preloader a process begins in
# under a second instead of a minute.
mkdir -p "$ROOTFS/usr/lib/wine-i386"
mv "$ROOTFS/usr/lib/wine/wine" "$ROOTFS/usr/lib/wine-i386/wine"
cat >"$ROOTFS/usr/lib/wine/wine" <<'LAUNCH'
#!/bin/sh
# TREE/root/usr/lib/wine/wine: starts the i386 Wine of TREE under qemu.
root=$(cd "$(dirname "$(readlink -f "$0")")/../../.." && pwd)
preloader=$root/usr/lib/wine/wine-preloader.static
export WINELOADERNOEXEC=1
exec "$root/../qemu/usr/bin/qemu-i386" -L "$root" -0 "$preloader" "$preloader" "$root/usr/lib/wine-i386/wine" "$@"
LAUNCH
chmod +x "$ROOTFS/usr/lib/wine/wine"
mkdir -p "$TREE/bin"
ln -sf "$ROOTFS/usr/lib/wine/wine" "$LAUNCHER"

echo "$STAMP" >"$TREE/.ready"
say "32-bit Wine ready in $(( $(date +%s) - started )) s ($(du -sh "$TREE" | cut -f1))"
echo "$LAUNCHER"
