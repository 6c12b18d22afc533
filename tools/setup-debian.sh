#!/usr/bin/env bash
# Installs the Debian packages named in the given lists (one per line, # for
# comments) that are missing. As root it runs apt-get; otherwise it prints the
# exact line to run.
#   tools/setup-debian.sh tools/debian-packages-demo.txt [tools/debian-packages-test.txt]
set -euo pipefail
if [ $# -eq 0 ]; then
    echo "usage: $0 PACKAGE-LIST..." >&2
    exit 2
fi
wanted=()
for list in "$@"; do
    mapfile -t -O "${#wanted[@]}" wanted < <(grep -v -E '^\s*(#|$)' "$list")
done
missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get install -y ${missing[*]}" >&2
    exit 1
fi
