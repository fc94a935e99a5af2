#!/usr/bin/env bash
# soak.sh [MINUTES]: drives the real bar under Wine as a day of use would,
# for MINUTES (default 2) after a first round, and prints its anonymous
# memory and its GDI and USER objects at the start and the end; fails when
# any grows beyond noise (tests/e2e/soak.py). Builds the windows preset first.
set -uo pipefail

minutes=${1:-2}
if ! [[ "$minutes" =~ ^[0-9]+([.][0-9]+)?$ ]]; then
    echo "usage: $0 [MINUTES]" >&2
    exit 2
fi

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 1

cmake --preset windows >/dev/null || { echo "soak.sh: configure failed" >&2; exit 1; }
cmake --build --preset windows || { echo "soak.sh: build failed" >&2; exit 1; }

export LARKSPAN_SOAK_MINUTES="$minutes"
exec bash scripts/with-wine.sh python3 tests/e2e/soak.py -v
