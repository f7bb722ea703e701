#!/usr/bin/env bash
# Runs the README's test command (scripts/test.sh) on another Debian release: in a Debian root of
# that release, made once with debootstrap from Debian's registry and reused later, on a fresh
# clone of this checkout's HEAD.
#
#   scripts/test-on-debian.sh 12|13
#
# The root lives in /var/cache/quorvel/debian-N (QUORVEL_DEBIAN_ROOTS sets another folder). What
# the tests need of the machine is mounted into it for the run (/proc, /sys, /dev, /dev/pts,
# /dev/shm and /run) and taken away again whatever happens; processes still running in the root
# at the end are ended by their ids. Needs root (through sudo when not run as root).
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  12) codename=bookworm ;;
  13) codename=trixie ;;
  *)
    echo "usage: $0 12|13" >&2
    exit 2
    ;;
esac
release=$1

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=CI,QUORVEL_DEBIAN_ROOTS "$0" "$@"
fi
command -v debootstrap >/dev/null || {
  echo "Installing: debootstrap"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
}

mirror=http://deb.debian.org/debian
roots=${QUORVEL_DEBIAN_ROOTS:-/var/cache/quorvel}
root=$roots/debian-$release
mkdir -p "$roots"

# Made once: a root that is not marked ready (a debootstrap that was cut short) is made anew.
if [ ! -e "$root/.quorvel-ready" ]; then
  echo "== Making a Debian $release root ($codename) in $root with debootstrap"
  rm -rf "$root.new"
  debootstrap --variant=minbase "$codename" "$root.new" "$mirror" >"$roots/debootstrap-$release.log" 2>&1 || {
    tail -20 "$roots/debootstrap-$release.log" >&2
    exit 1
  }
  # The sources of a Debian installed as usual: the release, its updates and its security fixes.
  rm -f "$root.new/etc/apt/sources.list"
  cat >"$root.new/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: $mirror
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: $codename-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  rm -rf "$root"
  mv "$root.new" "$root"
  touch "$root/.quorvel-ready"
fi

mounted=()
cleanup() {
  # Whatever is still running inside the root (a daemon a test left behind) is ended by its id,
  # so that the mounts can go.
  for sig in TERM KILL; do
    local left=()
    for proc in /proc/[0-9]*; do
      [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && left+=("${proc#/proc/}")
    done
    [ ${#left[@]} -eq 0 ] && break
    kill -s "$sig" "${left[@]}" 2>/dev/null || true
    sleep 2
  done
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -R "${mounted[i]}" 2>/dev/null || umount -R -l "${mounted[i]}" || true
  done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mount_in() { # mount_in PLACE MOUNT-ARGUMENTS...
  local place=$root$1
  shift
  mkdir -p "$place"
  mount "$@" "$place"
  mounted+=("$place")
}
mount_in /proc -t proc proc
mount_in /sys --rbind /sys
mount --make-rslave "$root/sys"
mount_in /dev --bind /dev
mount_in /dev/pts --bind /dev/pts
mount_in /dev/shm -t tmpfs -o mode=1777 tmpfs
mount_in /run -t tmpfs -o mode=0755 tmpfs
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

# A fresh clone of what is checked out here, so that nothing built or left in this tree counts.
rm -rf "$root/root/quorvel"
git clone --quiet --no-hardlinks "$(git rev-parse --show-toplevel)" "$root/root/quorvel"
echo "== The README's test command on Debian $release ($(cat "$root/etc/debian_version")), commit $(git -C "$root/root/quorvel" rev-parse --short HEAD)"

# The root has no git, no sudo and nothing else of this machine's; its environment is a clean one.
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  bash -c 'cd /root/quorvel && scripts/test.sh'
