#!/usr/bin/env bash
# Compiles the Windows version record and icon with the MinGW resource compiler into an x86-64
# object, reads the object back as resource script text and checks the values in it.
#   check_version_record.sh RC_FILE VERSION NUMBERS MAKER
# Exits 77 (skipped) when the resource compiler is missing.
set -euo pipefail
rc_file=$1 version=$2 numbers=$3 maker=$4

windres=x86_64-w64-mingw32-windres
if ! command -v "$windres" >/dev/null; then
  echo "SKIPPED: $windres not found (Debian package binutils-mingw-w64-x86-64; scripts/setup.sh)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The script needs no Windows header, so the host's C preprocessor serves.
"$windres" --preprocessor=cpp -I "$(dirname "$rc_file")" -i "$rc_file" -O coff -o "$work/quorvel.o"
"$windres" -J coff -i "$work/quorvel.o" -O rc | sed 's/^[[:space:]]*//; s/[[:space:]]*$//' \
  >"$work/decompiled.rc"

fixed=${numbers//,/, }
expected=(
  "FILEVERSION $fixed"
  "PRODUCTVERSION $fixed"
  "FILEOS 0x40004"
  "FILETYPE 0x1"
  'BLOCK "041104B0"'
  "VALUE \"CompanyName\", \"$maker\""
  "VALUE \"FileVersion\", \"$version\""
  'VALUE "InternalName", "quorvel"'
  'VALUE "OriginalFilename", "quorvel.exe"'
  'VALUE "ProductName", "quorvel"'
  "VALUE \"ProductVersion\", \"$version\""
  'VALUE "Translation", 0x411, 1200'
  # The icon group: a 32 x 32 and a 16 x 16 image of 16 colours, 4 bits a pixel.
  '0, 1, 2,	 /* Has 2 elements.  */'
  '"\040\040\020\000", 1, 4, 0x2e8L, 1,	/* Element no 1.  */'
  '"\020\020\020\000", 1, 4, 0x128L, 2	/* Element no 2.  */'
)
failed=0
for line in "${expected[@]}"; do
  if ! grep -qxF -- "$line" "$work/decompiled.rc"; then
    echo "missing from the compiled resources: $line"
    failed=1
  fi
done
# Every resource is marked Japanese.
if grep '^LANGUAGE' "$work/decompiled.rc" | grep -vqxF 'LANGUAGE 17, 1'; then
  echo "a resource is not marked Japanese (LANGUAGE 17, 1):"
  grep '^LANGUAGE' "$work/decompiled.rc"
  failed=1
fi
if [ "$failed" -ne 0 ]; then
  echo "--- compiled resources read back:"
  grep -v '^0x' "$work/decompiled.rc"
  exit 1
fi
echo "version record $version ($fixed) and icon compile and read back as expected"
