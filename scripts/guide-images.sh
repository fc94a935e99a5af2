#!/usr/bin/env bash
# guide-images.sh [--from-last-run]: the user guide's pictures. Runs the
# end-to-end tests that take them (windows preset, under Wine), then copies
# each chosen screenshot to docs/images/, cropped to what is on the screen.
# With --from-last-run it only crops the screenshots already there
# (build/windows/e2e/screenshots, from scripts/test.sh or an e2e run).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
shots="$repo/build/windows/e2e/screenshots"
images="$repo/docs/images"

# docs/images/<picture>.png from e2e/screenshots/<screenshot>.png
chosen=(
    pictures-16:floating-bar # the floating bar: programs, a folder, a document
    docked-fixed:docked-bar  # docked at the top
    menu-open:menu           # the popup menu
    options-dialog:options   # Options
    about-box:about          # About
    colours-dark-floating:floating-bar-dark # the floating bar in dark colours
)

case "${1:-}" in
"") run_tests=1 ;;
--from-last-run) run_tests=0 ;;
*)
    echo "usage: $0 [--from-last-run]" >&2
    exit 2
    ;;
esac

bash scripts/install-deps.sh
if ((run_tests)); then
    cmake --preset windows >/dev/null
    cmake --build --preset windows
    bash scripts/with-wine.sh ctest --test-dir build/windows --output-on-failure \
        -R '^e2e\.(pictures|docking|editing|options|colours)$'
fi

mkdir -p "$images"
for pair in "${chosen[@]}"; do
    shot="$shots/${pair%%:*}.png" picture="$images/${pair#*:}.png"
    [[ -f "$shot" ]] || { echo "guide-images: $shot is missing" >&2; exit 1; }
    # Xvfb's screen is black where no window is: a black frame first, so
    # that a window touching the screen's corner is trimmed too. No time
    # stamps, so unchanged pictures keep their bytes.
    convert "$shot" -bordercolor black -border 1 -trim +repage -strip \
        -define png:exclude-chunks=date,time "$picture"
    echo "guide-images: $picture ($(identify -format '%wx%h' "$picture"))"
done
