#!/usr/bin/env bash
# release.sh [--out DIR]: the release a Windows user downloads. Builds the
# stripped Release larkspan.exe (windows preset) and packs it with CPack:
#   DIR/larkspan-<version>-win64.zip   the portable archive
#   DIR/larkspan-<version>-setup.exe   the installer (NSIS)
# DIR is build/release unless given. Every packed file carries the time in
# SOURCE_DATE_EPOCH (the last commit's unless set), so two builds of one
# commit give the same bytes.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
out="$repo/build/release"
while (($#)); do
    case "$1" in
    --out)
        [[ $# -ge 2 ]] || { echo "usage: $0 [--out DIR]" >&2; exit 2; }
        out="$(realpath -m "$2")"
        shift 2
        ;;
    *)
        echo "usage: $0 [--out DIR]" >&2
        exit 2
        ;;
    esac
done

bash scripts/install-deps.sh
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
    SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || true)"
    # Not a git checkout: the newest file of the sources.
    [[ -n "$SOURCE_DATE_EPOCH" ]] ||
        SOURCE_DATE_EPOCH="$(find CMakeLists.txt src resources packaging -type f -printf '%T@\n' |
            sort -n | tail -1 | cut -d. -f1)"
fi
export SOURCE_DATE_EPOCH

cmake --preset windows >/dev/null
cmake --build --preset windows --target larkspan
mkdir -p "$out"
rm -f "$out"/larkspan-*-win64.zip "$out"/larkspan-*-setup.exe
cpack --preset release -B "$out"

echo "release.sh: built (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH):"
for f in "$out"/larkspan-*-win64.zip "$out"/larkspan-*-setup.exe; do
    printf '  %s  %s bytes\n' "$f" "$(stat -c %s "$f")"
done
