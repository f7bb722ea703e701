#!/usr/bin/env bash
# Packs the build into a Debian package with CPack, as `cmake --build BUILD_DIR --target package`
# does, and runs Debian's package checker on it. Any error or warning fails; informational and
# pedantic notes are shown but pass. Two informational notes are expected: hardening-no-bindnow
# (Debian's default build flags do not bind at load time either) and binary-has-unneeded-section
# (the strip that CPack runs keeps the compiler's .comment note). Then asks apt whether the package
# would install on this Debian release, with every dependency it names (a simulation: nothing is
# installed).
#   check_lintian.sh BUILD_DIR
# Exits 77 (skipped) when lintian or dpkg-shlibdeps is missing.
set -euo pipefail
build=$1

for tool in lintian dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool not found (Debian packages lintian, dpkg-dev; scripts/setup.sh)"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "cpack could not make the package"
  exit 1
fi
debs=("$work"/*.deb)
[ -f "${debs[0]}" ] || {
  cat "$work/cpack.log"
  echo "cpack made no .deb"
  exit 1
}

# As root lintian says on stderr that it would rather not run so; its verdict is the same.
status=0
report=$(lintian --fail-on error,warning --display-info --pedantic --tag-display-limit 0 \
  "${debs[0]}" 2>&1) || status=$?
echo "lintian ${debs[0]##*/}:"
echo "${report:-(nothing to report)}"
# The exit status is the verdict; the tags are checked as well in case lintian changes it.
if [ "$status" -ne 0 ] || grep -qE '^[EW]: ' <<<"$report"; then
  echo "lintian reports errors or warnings (exit status $status)"
  exit 1
fi
echo "lintian reports no error and no warning"

if command -v apt-get >/dev/null; then
  release=$(. /etc/os-release && echo "$PRETTY_NAME")
  if ! plan=$(apt-get install --simulate --no-install-recommends -q "${debs[0]}" 2>&1); then
    echo "$plan"
    echo "the package does not install on $release"
    exit 1
  fi
  echo "the package installs on $release: $(grep -c '^Inst ' <<<"$plan") package(s) to install"
fi
