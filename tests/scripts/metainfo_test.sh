#!/usr/bin/env bash
# The AppStream metainfo with appstreamcli's pedantic hints too, none of which may appear (but
# the missing home page's, tests/scripts/appstream_remarks.sh): the build's own, and the ones
# cmake/metainfo.cmake writes without and with a packager's addresses.
#   tests/scripts/metainfo_test.sh BUILD_METAINFO SOURCE_DIR VERSION
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 BUILD_METAINFO SOURCE_DIR VERSION" >&2; exit 2; }
built="$1" source_dir="$2" version="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/appstream_remarks.sh"

validate() {
    local out
    out="$(appstream_remarks validate "$1" "$1")" || fail "appstreamcli has remarks on $1: $out"
}

# write OUT [HOMEPAGE]
write() {
    cmake -DTEMPLATE="$source_dir/packaging/org.yumo.yumo.metainfo.xml.in" -DOUT="$1" \
        -DVERSION="$version" -DHOMEPAGE="${2:-}" -P "$source_dir/cmake/metainfo.cmake"
}

validate "$built"

write "$work/plain.xml"
validate "$work/plain.xml"
! grep -q '<url\|<screenshot\|@' "$work/plain.xml" || fail "an address or a placeholder is left"

write "$work/site.xml" 'https://yumo.invalid/?a=1&b=2'
validate "$work/site.xml"
grep -qx '  <url type="homepage">https://yumo.invalid/?a=1&amp;b=2</url>' "$work/site.xml" ||
    fail "the home page is missing: $(cat "$work/site.xml")"
[ "$(grep -c '<image>https://yumo.invalid/?a=1&amp;b=2/screenshots/yumo-[a-z]*.png</image>' \
    "$work/site.xml")" -eq 2 ] || fail "the two screenshots are missing: $(cat "$work/site.xml")"
echo "metainfo: passed"
