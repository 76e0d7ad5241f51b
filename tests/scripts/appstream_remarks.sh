# shellcheck shell=bash
# Sourced by the metainfo checks.
# appstream_remarks validate|validate-tree TARGET METAINFO prints what appstreamcli says of
# TARGET, even pedantically, and fails when it says anything. The one exception: Yumo has no
# home page of its own, and AppStream 1.0 warns url-homepage-missing and fails the validation
# of a metainfo without one (a packager who has one passes -DYUMO_HOMEPAGE); that warning alone
# passes when METAINFO has no home page.
appstream_remarks() {
    local out status=0 remarks
    out="$(appstreamcli "$1" --no-net --pedantic "$2" 2>&1)" || status=$?
    # validate-tree indents its remarks under the file's name.
    remarks="$(grep -E '^[[:space:]]*[EWIP]: ' <<<"$out" || true)"
    if ! grep -q '<url type="homepage">' "$3" &&
        grep -qE '^[[:space:]]*W: .*: url-homepage-missing$' <<<"$remarks"; then
        remarks="$(grep -vE '^[[:space:]]*W: .*: url-homepage-missing$' <<<"$remarks" || true)"
        status=0
    fi
    [ "$status" -eq 0 ] && [ -z "$remarks" ] && return 0
    printf '%s\n' "$out"
    return 1
}
