#!/usr/bin/env bash
# Builds quorvel.exe and its zip twice from the same sources, in two fresh release build
# directories, and compares them byte for byte: a commit must give the same program and package
# wherever and whenever it is built. The two builds differ where a careless build would let it
# show: the length of the build directory's path, the umask and the time zone.
#   check_reproducible.sh SOURCE_DIR WORK_DIR TOOLCHAIN_FILE GENERATOR [cmake option...]
# WORK_DIR is emptied first and removed when the builds agree; when they differ it is kept, and the
# differences are shown (with the PE headers through OBJDUMP, when set).
set -euo pipefail
source "$(dirname "$0")/../packaging/compare_builds.sh"
source=$1 work=$2 toolchain=$3 generator=$4
shift 4

rm -rf "$work"
mkdir -p "$work"

# build DIR: configures, builds only quorvel.exe and packs the zip, as `--target package` would
# without building the tests.
build() {
  local dir=$1
  if ! {
    cmake -S "$source" -B "$dir" -G "$generator" --toolchain "$toolchain" \
      -DCMAKE_BUILD_TYPE=Release "${options[@]}" &&
      cmake --build "$dir" --target quorvel -j "${QUORVEL_JOBS:-2}" &&
      (cd "$dir" && cpack --config CPackConfig.cmake)
  } >"$dir.log" 2>&1; then
    cat "$dir.log"
    echo "the build in $dir failed"
    exit 1
  fi
}

options=("$@")
start=$SECONDS
build "$work/a"
(
  umask 077
  export TZ=Asia/Tokyo
  build "$work/second-build"
)
echo "two builds in $((SECONDS - start)) s"

status=0
exeHeaders() { "$OBJDUMP" -x "$1" | tail -n +2; }
compare quorvel.exe "$work/a/ui/quorvel.exe" "$work/second-build/ui/quorvel.exe" \
  "$([ -n "${OBJDUMP:-}" ] && echo exeHeaders)"
zip=$(cd "$work/a" && ls quorvel-*-windows-x64.zip)
compare "$zip" "$work/a/$zip" "$work/second-build/$zip"

if [ "$status" -eq 0 ]; then
  rm -rf "$work"
else
  echo "the builds are kept in $work"
fi
exit "$status"
