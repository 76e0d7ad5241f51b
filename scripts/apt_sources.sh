# shellcheck shell=bash
# Reads the machine's apt sources: sourced, not run.

# The apt source files in the order apt reads them.
apt_source_files() {
    local dir="${1:-/etc/apt}" file
    for file in "$dir/sources.list" "$dir"/sources.list.d/*; do
        case "$file" in
        */sources.list | *.list | *.sources) [ -f "$file" ] && printf '%s\n' "$file" ;;
        esac
    done
    return 0
}

# apt_source_uri SUITE FILE... prints the first http(s) URI from which the files get binary
# packages ("deb", not "deb-src") of exactly SUITE, without a trailing slash, and fails when
# none does. Files ending in .sources are read as deb822 stanzas (Types, URIs, Suites, Enabled;
# field names in any case, values continued on indented lines), the others as one-line
# entries "deb [options] URI SUITE COMPONENT...". Comments and disabled stanzas are skipped.
apt_source_uri() {
    local suite="$1"
    shift
    [ $# -gt 0 ] || return 1
    local uri
    uri="$(awk -v want="$suite" '
        function has(list, word,    n, i, parts) {
            n = split(list, parts, /[ \t]+/)
            for (i = 1; i <= n; i++) if (parts[i] == word) return 1
            return 0
        }
        function first_web(list,    n, i, parts) {
            n = split(list, parts, /[ \t]+/)
            for (i = 1; i <= n; i++) if (parts[i] ~ /^https?:\/\//) return parts[i]
            return ""
        }
        function found(u) { sub(/\/+$/, "", u); print u; finished = 1; exit }
        function end_stanza(    u) {
            if (has(types, "deb") && has(suites, want) && tolower(enabled) != "no") {
                u = first_web(uris)
                if (u != "") found(u)
            }
            types = uris = suites = enabled = field = ""
        }
        FNR == 1 { if (deb822) end_stanza(); deb822 = FILENAME ~ /\.sources$/ }
        deb822 {
            if ($0 ~ /^#/) next
            if ($0 ~ /^[ \t]*$/) { end_stanza(); next }
            if ($0 ~ /^[ \t]/) { value = $0 }
            else {
                field = tolower($0); sub(/:.*/, "", field)
                value = $0; sub(/^[^:]*:/, "", value)
            }
            if (field == "types") types = types " " value
            else if (field == "uris") uris = uris " " value
            else if (field == "suites") suites = suites " " value
            else if (field == "enabled") { enabled = value; gsub(/[ \t]/, "", enabled) }
            next
        }
        {
            line = $0
            sub(/#.*/, "", line)
            gsub(/\[[^]]*\]/, " ", line)
            n = split(line, word, /[ \t]+/)
            i = (word[1] == "") ? 2 : 1
            if (word[i] == "deb" && word[i + 2] == want && word[i + 1] ~ /^https?:\/\//)
                found(word[i + 1])
        }
        END { if (deb822 && !finished) end_stanza() }
    ' "$@")"
    [ -n "$uri" ] || return 1
    printf '%s\n' "$uri"
}

# The Debian releases the chroot checks know, the first one the default.
readonly DEBIAN_SUITES=(bookworm trixie)

# choose_debian_mirrors [DIR [SUITE]] sets the archives a chroot of SUITE (default bookworm) is
# made from, taken from the apt sources under DIR (default /etc/apt) so that it uses the
# machine's own mirror and proxy. A mirror carries every release: when the sources name none
# for SUITE, the archive they take another known release from serves.
#   DEBIAN_MIRROR           the archive of SUITE, else http://deb.debian.org/debian
#   DEBIAN_UPDATES_MIRROR   the archive of SUITE-updates, else DEBIAN_MIRROR
#   DEBIAN_SECURITY_MIRROR  the archive of SUITE-security; with the fallback archive its
#                           fallback, else empty when the machine has none
# and says which it took.
choose_debian_mirrors() {
    local dir="${1:-/etc/apt}" suite="${2:-${DEBIAN_SUITES[0]}}" files=() from="" name
    mapfile -t files < <(apt_source_files "$dir")
    for name in "$suite" "${DEBIAN_SUITES[@]}"; do
        if DEBIAN_MIRROR="$(apt_source_uri "$name" "${files[@]}")"; then
            from="$name"
            break
        fi
    done
    # first_uri KIND: the archive of SUITE-KIND, else of the release the mirror came from.
    first_uri() {
        apt_source_uri "$suite-$1" "${files[@]}" ||
            { [ -n "$from" ] && apt_source_uri "$from-$1" "${files[@]}"; }
    }
    if [ -n "$from" ]; then
        DEBIAN_SECURITY_MIRROR="$(first_uri security)" || DEBIAN_SECURITY_MIRROR=""
        echo "Debian mirror: $DEBIAN_MIRROR (from the apt sources in $dir, for $from)"
    else
        DEBIAN_MIRROR=http://deb.debian.org/debian
        DEBIAN_SECURITY_MIRROR="$(first_uri security)" ||
            DEBIAN_SECURITY_MIRROR=http://deb.debian.org/debian-security
        echo "Debian mirror: $DEBIAN_MIRROR (the apt sources in $dir name none for Debian)"
    fi
    DEBIAN_UPDATES_MIRROR="$(first_uri updates)" || DEBIAN_UPDATES_MIRROR="$DEBIAN_MIRROR"
    echo "security updates: ${DEBIAN_SECURITY_MIRROR:-none (the machine has no source for them)}"
}
