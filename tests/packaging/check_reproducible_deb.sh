#!/usr/bin/env bash
# Makes the Debian package of a release build once more, from a fresh build of the same sources in
# another directory (a longer path, another umask and time zone), and compares the two byte for
# byte, as well as the two programs: a commit must give the same package wherever and whenever it
# is built.
#   check_reproducible_deb.sh BUILD_DIR SOURCE_DIR WORK_DIR GENERATOR TARGETS [cmake option...]
# BUILD_DIR is the release build under test; TARGETS (a CMake list) are what its package installs.
# WORK_DIR is emptied first and removed when the packages agree, kept when they differ.
# Exits 77 (skipped) when dpkg-shlibdeps, which CPack asks for the dependencies, is missing.
set -euo pipefail
source "$(dirname "$0")/compare_builds.sh"
build=$1 source=$2 work=$3 generator=$4
IFS=';' read -r -a targets <<<"$5"
shift 5

if ! command -v dpkg-shlibdeps >/dev/null; then
  echo "SKIPPED: dpkg-shlibdeps not found (Debian package dpkg-dev; scripts/setup.sh)"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work"
fresh=$work/second-build-of-the-same-sources

# run LOG COMMAND...: runs the command with its output in LOG, shown when it fails.
run() {
  local log=$1
  shift
  if ! "$@" >>"$log" 2>&1; then
    cat "$log"
    echo "failed: $*"
    exit 1
  fi
}

start=$SECONDS
run "$work/first.log" cpack --config "$build/CPackConfig.cmake" -B "$work/first"
(
  umask 077
  export TZ=Asia/Tokyo
  run "$fresh.log" cmake -S "$source" -B "$fresh" -G "$generator" -DCMAKE_BUILD_TYPE=Release "$@"
  run "$fresh.log" cmake --build "$fresh" --target "${targets[@]}" -j "${QUORVEL_JOBS:-2}"
  run "$fresh.log" cpack --config "$fresh/CPackConfig.cmake" -B "$work/second"
)
echo "a fresh build and two packages in $((SECONDS - start)) s"

status=0
debParts() { ar tv "$1" && dpkg-deb -c "$1"; }
compare quorvel "$build/ui/quorvel" "$fresh/ui/quorvel"
deb=$(cd "$work/first" && ls ./*.deb)
deb=${deb#./}
compare "$deb" "$work/first/$deb" "$work/second/$deb" debParts

if [ "$status" -eq 0 ]; then
  rm -rf "$work"
else
  echo "the builds are kept in $work"
fi
exit "$status"
