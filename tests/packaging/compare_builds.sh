# Sourced by the checks that a build is reproducible (check_reproducible_deb.sh and
# ../windows/check_reproducible.sh).
#
#   compare NAME FIRST SECOND [LIST]
#
# says whether two builds of one file are the same bytes. Where they are not, it shows the bytes
# that differ and, given LIST (a command that lists the parts of such a file), how the two
# listings differ; and it sets status to 1.
compare() {
  local name=$1 first=$2 second=$3 list=${4:-}
  if cmp -s "$first" "$second"; then
    echo "$name: the same $(wc -c <"$first") bytes"
    return
  fi
  status=1
  # cmp and diff exit 1 on a difference, which is what is shown here.
  echo "$name differs between the two builds ($(cmp -l "$first" "$second" | wc -l) bytes):"
  (cmp -l "$first" "$second" || true) | head -20
  if [ -n "$list" ]; then
    (diff <("$list" "$first") <("$list" "$second") || true) | head -40
  fi
}
