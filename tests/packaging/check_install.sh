#!/usr/bin/env bash
# Installs the build into a temporary root as a package would (prefix /usr) and checks what the
# desktop gets: the program, the desktop entry, the AppStream metadata and the icons, with the
# validators of freedesktop.org and AppStream, offline.
#   check_install.sh BUILD_DIR APP_ID VERSION ICON_SIZE...
# Exits 77 (skipped) when a validator is missing.
set -euo pipefail
build=$1 id=$2 version=$3
shift 3
sizes=("$@")

for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool not found (Debian packages desktop-file-utils, appstream; scripts/setup.sh)"
    exit 77
  fi
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr
desktop=$usr/share/applications/$id.desktop
metainfo=$usr/share/metainfo/$id.metainfo.xml

failed=0
fail() {
  echo "$*"
  failed=1
}

[ -x "$usr/bin/quorvel" ] || fail "no program at /usr/bin/quorvel"

# desktop-file-validate exits 0 on mere warnings and hints: any output is a failure here.
report=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$report" ] || fail "desktop-file-validate: $report"
for line in "Exec=quorvel" "Icon=$id" "Name=クオルベル" "Terminal=false" \
  "Categories=Utility;TextTools;" "X-Quorvel-Version=$version"; do
  grep -qxF "$line" "$desktop" || fail "$id.desktop lacks $line"
done

# Japanese has no capital letters, so AppStream's hints about them do not apply.
lowercase=summary-first-word-not-capitalized,description-first-word-not-capitalized
appstream=(--no-net --strict "--override=${lowercase//,/=pedantic,}=pedantic")
# Debian 12's appstreamcli (0.16.1) predates the <developer> element that AppStream 1.0 asks for
# in place of <developer_name>, and notes it as an unknown tag: an info, which --strict fails on.
# There exactly that note is set aside; any other issue still fails.
validate() { # validate VERB PATH
  local report
  report=$(appstreamcli "$1" "${appstream[@]}" "$2" 2>&1) && return 0
  if [[ $(appstreamcli --version) == *"version: 0."* ]] &&
    grep -qE '^\s*I: [^ ]+: unknown-tag developer$' <<<"$report" &&
    ! grep -E '^\s*[EWI]: ' <<<"$report" | grep -qvE '^\s*I: [^ ]+: unknown-tag developer$'; then
    return 0
  fi
  echo "$report"
  return 1
}
validate validate "$metainfo" || fail "appstreamcli validate failed"
# The tree as a whole: metainfo, the desktop entry it launches and the icon that entry names.
validate validate-tree "$usr" || fail "appstreamcli validate-tree failed"
grep -qF "<developer id=\"" "$metainfo" || fail "the metainfo names no developer by id"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "no release $version in the metainfo"

for size in "${sizes[@]}"; do
  png=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
  if [ ! -f "$png" ]; then
    fail "no icon $png"
    continue
  fi
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width x $height" = "$size x $size" ] || fail "$png is $width x $height"
done

[ "$failed" -eq 0 ] || exit 1
echo "installed program, desktop entry, metainfo and icons are valid"
