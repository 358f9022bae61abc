#!/usr/bin/env bash
# Checks of the Debian package. The first form builds it; the others check the one built.
#   package-test.sh build DIR CPACK CPACK_CONFIG
#   package-test.sh programs|metadata|room|lintian DIR VERSION APP_ID
set -euo pipefail

check=$1
dir=$2
programs=(zolt zoltctl zolt-sim)
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if [[ $check == build ]]; then
    rm -rf "$dir"
    exec "$3" --config "$4" -B "$dir"
fi

version=$3
app_id=$4
debs=("$dir"/zolt_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "no single package in $dir" >&2; exit 1; }
deb=${debs[0]}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

# Each program answers --help and --version from the unpacked tree, without a display,
# and its manual page names every long option its help names.
check_programs() {
    local program out
    for program in "${programs[@]}"; do
        local bin=$root/usr/bin/$program
        [[ -x $bin ]] || { fail "$program is not in the package"; continue; }
        if ! out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin" --help 2>&1); then
            fail "$program --help failed: $out"
        elif ! grep -qiE "^usage: +(\S*/)?$program( |\$)" <<<"$out"; then
            fail "$program --help printed no usage line: $out"
        fi
        local help=$out
        if ! out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin" --version 2>&1); then
            fail "$program --version failed: $out"
        elif [[ $out != "$program $version" ]]; then
            fail "$program --version printed \"$out\", not \"$program $version\""
        fi
        local page=$root/usr/share/man/man1/$program.1.gz option
        [[ -f $page ]] || { fail "no manual page for $program"; continue; }
        local text
        text=$(zcat "$page" | sed 's/\\-/-/g')
        for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
            grep -q -- "$option" <<<"$text" || fail "$program.1 does not describe $option"
        done
    done
}

# zolt: a mistake on the line exits with code 2, with a display or without; a start (here
# the screenshot run) leaves nothing in the folder it was started from, and makes its "Mode"
# folder in the user's data folder.
check_window_start() {
    local bin=$root/usr/bin/zolt code out
    for platform in "" offscreen; do
        code=0
        out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=$platform "$bin" --bogus 2>&1) ||
            code=$?
        [[ $code -eq 2 ]] || fail "zolt --bogus (platform \"$platform\") exited $code: $out"
        grep -q 'unknown argument "--bogus"' <<<"$out" || fail "zolt --bogus said: $out"
    done
    local cwd=$root/start home=$root/home
    mkdir -p "$cwd" "$home"
    (cd "$cwd" && env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME -u XDG_CONFIG_HOME \
        HOME="$home" QT_QPA_PLATFORM=offscreen "$bin" --simulator --capture "$root/shots" \
        >/dev/null 2>&1) || fail "zolt --capture failed"
    [[ -z $(ls -A "$cwd") ]] || fail "zolt left $(ls -A "$cwd") where it was started"
    [[ -d $home/.local/share/zolt/Mode ]] || fail "zolt made no Mode folder in its data folder"
    [[ ! -e $home/.config/zolt ]] || fail "the screenshot run wrote settings"
}

# The desktop entry, the AppStream metadata and the icons are valid and point at each other.
check_metadata() {
    local share=$root/usr/share
    local desktop=$share/applications/$app_id.desktop
    local metainfo=$share/metainfo/$app_id.metainfo.xml
    desktop-file-validate "$desktop" || fail "desktop-file-validate refused $desktop"
    appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli refused $metainfo"
    grep -qx "Exec=zolt" "$desktop" || fail "the desktop entry does not start zolt"
    grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry names another icon"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metadata launches another desktop entry"
    [[ -f $share/icons/hicolor/scalable/apps/$app_id.svg ]] || fail "no scalable icon"
    local size png
    for size in 16 22 24 32 48 64 128 256; do
        png=$share/icons/hicolor/${size}x${size}/apps/$app_id.png
        file "$png" | grep -q "PNG image data, $size x $size," ||
            fail "the ${size}x$size icon is missing or has another size"
    done
    # The dependencies come from the programs' shared libraries.
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libqt6widgets6 libudev1 libstdc++6 libc6; do
        grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
    done
}

# What a room PC needs: the key script makes a venue whose certificates openssl accepts,
# with a desk's admission folder; the ser2net example has one mutual-TLS accepter on a
# stable device name for one desk, without telnet; the drop-in runs ser2net unprivileged
# and restarts it.
check_room() {
    local keys=$root/usr/bin/zolt-venue-keys share=$root/usr/share/zolt/room
    [[ -x $keys ]] || { fail "zolt-venue-keys is not in the package"; return; }
    [[ -f $root/usr/share/man/man1/zolt-venue-keys.1.gz ]] || fail "no manual page for zolt-venue-keys"
    zcat "$root/usr/share/man/man1/zolt-venue-keys.1.gz" | grep -q "^.SH VENUE SETUP" ||
        fail "zolt-venue-keys.1 has no VENUE SETUP section"
    local venue=$root/venue
    "$keys" ca "$venue" >/dev/null && "$keys" room "$venue" room7 10.0.0.17 >/dev/null &&
        "$keys" desk "$venue" front-desk >/dev/null || fail "zolt-venue-keys failed"
    openssl verify -CAfile "$venue/venue-ca.crt" "$venue/room7.crt" "$venue/front-desk.crt" \
        >/dev/null || fail "the venue's certificates do not verify"
    openssl verify -CApath "$venue/authdir/front-desk/allowed_certs" "$venue/front-desk.crt" \
        >/dev/null || fail "the desk's admission folder does not hold the hashed venue CA"
    [[ $(stat -c %a "$venue/room7.key") == 600 ]] || fail "the room's key is readable by others"
    "$keys" room "$venue" room7 10.0.0.17 >/dev/null 2>&1 && fail "zolt-venue-keys replaced a key"
    local yaml=$share/ser2net.yaml dropin=$share/ser2net-zolt.conf
    [[ -f $yaml && -f $dropin ]] || { fail "the room's ser2net files are missing"; return; }
    grep -q "accepter: ssl(.*clientauth).*,tcp," "$yaml" || fail "no mutual-TLS accepter"
    grep -q "connector: serialdev,/dev/serial/by-id/" "$yaml" || fail "no stable device name"
    grep -q "max-connections: 1" "$yaml" || fail "more than one desk at a time"
    grep -q "authdir:" "$yaml" || fail "no admission folder"
    grep -v "^#" "$yaml" | grep -q telnet && fail "the accepter speaks telnet"
    grep -qx "User=ser2net" "$dropin" && grep -qx "Group=dialout" "$dropin" &&
        grep -qx "Restart=on-failure" "$dropin" || fail "the drop-in does not run ser2net unprivileged, restarted"
}

check_lintian() {
    lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors"
}

case $check in
    programs) check_programs; check_window_start ;;
    metadata) check_metadata ;;
    room) check_room ;;
    lintian) check_lintian ;;
    *) echo "unknown check $check" >&2; exit 2 ;;
esac
[[ $failures -eq 0 ]]
