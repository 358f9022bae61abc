#!/usr/bin/env bash
# Installs the Debian packages Zolt needs that are missing, and says what it did.
set -euo pipefail

packages=(build-essential ccache cmake ninja-build pkg-config clang libclang-rt-14-dev lld
          libgensio-dev libssl-dev openssl ser2net
          qt6-base-dev libgl-dev libudev-dev libgtest-dev libgmock-dev libbenchmark-dev
          fonts-liberation fonts-wqy-microhei xvfb xdotool
          libcli11-dev nlohmann-json3-dev libtomlplusplus-dev dpkg-dev file librsvg2-bin desktop-file-utils appstream lintian)

missing=()
for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "bootstrap: all ${#packages[@]} packages present"
    exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q "${missing[@]}"
echo "bootstrap: installed ${#missing[@]} packages"
