#!/usr/bin/env bash
# The archives a chroot is made from, as scripts/apt_sources.sh reads them from the apt
# sources in tests/data/apt/: deb822 stanzas, one-line entries, both mixed, and none usable;
# for the release the sources name and for one they do not.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/apt_sources.sh"
data="$here/../data/apt"
failures=0

# expect CASE SUITE "MIRROR UPDATES SECURITY" (SECURITY "-" when there is none)
expect() {
    local said got
    said="$(choose_debian_mirrors "$data/$1" "$2")"
    choose_debian_mirrors "$data/$1" "$2" >/dev/null
    got="$DEBIAN_MIRROR $DEBIAN_UPDATES_MIRROR ${DEBIAN_SECURITY_MIRROR:--}"
    if [ "$got" != "$3" ]; then
        printf 'FAIL %s %s: expected "%s", got "%s"\n' "$1" "$2" "$3" "$got"
        failures=$((failures + 1))
    fi
    if ! grep -q "^Debian mirror: $DEBIAN_MIRROR " <<<"$said"; then
        printf 'FAIL %s %s: the mirror taken is not said: %s\n' "$1" "$2" "$said"
        failures=$((failures + 1))
    fi
}

# Skipped: another suite that merely contains "bookworm", a disabled stanza, a deb-src one, a
# file: URI; found: continued fields in lower case, a trailing slash dropped.
expect deb822 bookworm "https://mirror-one.invalid/debian https://mirror-one.invalid/debian http://security.invalid/debian-security"
# Skipped: a comment, deb-src, file:, another suite; found: options with spaces, a leading blank
# and a trailing comment; sources.list before sources.list.d/, whose *.save file is not apt's.
expect one-line bookworm "http://mirror-two.invalid/debian http://updates.invalid/debian -"
expect none bookworm "http://deb.debian.org/debian http://deb.debian.org/debian http://deb.debian.org/debian-security"
expect missing-folder bookworm "http://deb.debian.org/debian http://deb.debian.org/debian http://deb.debian.org/debian-security"
# A release the sources do not name is taken from the archive of one they do, with its
# updates and security archives; one they name has its own archive.
expect deb822 trixie "https://mirror-one.invalid/debian https://mirror-one.invalid/debian http://security.invalid/debian-security"
expect one-line trixie "http://trixie.invalid/debian http://trixie.invalid/debian -"
expect none trixie "http://deb.debian.org/debian http://deb.debian.org/debian http://deb.debian.org/debian-security"

[ "$failures" -eq 0 ] || exit 1
echo "apt sources: passed"
