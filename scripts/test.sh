#!/usr/bin/env bash
# test.sh: the one test command. Installs what is missing, then
#   native preset:  configure, build, ctest (portable core, ASan + UBSan)
#   windows preset: configure, build, ctest under Wine (scripts/with-wine.sh):
#                   Windows GoogleTest executables and the e2e tests
# and prints a summary. Exits non-zero when any step fails.
# Extra arguments are passed to both ctest runs (e.g. -R Catalogue, -L e2e).
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 1

results=()
failed=0
junit_files=()

# step NAME CMD...: runs CMD, records PASS/FAIL and the time it took.
step() {
    local name=$1 start=$SECONDS rc=0
    shift
    printf '\n==> %s\n' "$name"
    "$@" || rc=$?
    if ((rc == 0)); then
        results+=("PASS  $name ($((SECONDS - start)) s)")
    else
        results+=("FAIL  $name (exit $rc, $((SECONDS - start)) s)")
        failed=1
    fi
    return "$rc"
}

skip() {
    results+=("SKIP  $1 (an earlier step failed)")
}

# Counts of one or more ctest JUnit files: "passed failed skipped".
count_tests() {
    python3 - "$@" <<'EOF'
import sys, xml.etree.ElementTree as ET
passed = failed = skipped = 0
for path in sys.argv[1:]:
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError):
        continue
    for case in root.iter("testcase"):
        status = case.get("status", "")
        if case.find("failure") is not None or case.find("error") is not None or status == "fail":
            failed += 1
        elif case.find("skipped") is not None or status in ("notrun", "disabled"):
            skipped += 1
        else:
            passed += 1
print(passed, failed, skipped)
EOF
}

step "install dependencies" bash scripts/install-deps.sh || {
    printf '\ninstall-deps failed; nothing else can run\n' >&2
    exit 1
}

mkdir -p build
jobs="$(nproc 2>/dev/null || echo 2)"

# --- native ------------------------------------------------------------------
native_junit="$repo/build/native-ctest.xml"
rm -f "$native_junit"
if step "native: configure" cmake --preset native &&
    step "native: build" cmake --build --preset native; then
    step "native: ctest" ctest --test-dir build/native --output-on-failure -j "$jobs" \
        --output-junit "$native_junit" "$@"
    junit_files+=("$native_junit")
else
    skip "native: ctest"
fi

# --- fuzz (libFuzzer, 20 s per fuzzer over a copy of its seed corpus) --------
step "fuzz: 20 s per fuzzer" bash scripts/fuzz.sh 20

# --- windows (under Wine) ----------------------------------------------------
windows_junit="$repo/build/windows-ctest.xml"
rm -f "$windows_junit"
if step "windows: configure" cmake --preset windows &&
    step "windows: build" cmake --build --preset windows; then
    step "windows: ctest under Wine" bash scripts/with-wine.sh \
        ctest --test-dir build/windows --output-on-failure \
        --output-junit "$windows_junit" "$@"
    junit_files+=("$windows_junit")
else
    skip "windows: ctest under Wine"
fi

# Seconds per e2e file from a ctest JUnit file, one indented line each.
e2e_times() {
    python3 - "$@" <<'EOF'
import sys, xml.etree.ElementTree as ET
for path in sys.argv[1:]:
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError):
        continue
    for case in root.iter("testcase"):
        if case.get("name", "").startswith("e2e."):
            print(f"        {case.get('name'):<16} {float(case.get('time', 0)):6.1f} s")
EOF
}

# --- summary -----------------------------------------------------------------
read -r passed failed_tests skipped < <(count_tests "${junit_files[@]}")
printf '\n==> summary\n'
printf '  %s\n' "${results[@]}"
e2e_times "$windows_junit"
printf '  total %d s\n' "$SECONDS"
if [[ -d build/windows/e2e/screenshots ]]; then
    printf '  e2e screenshots: %s\n' "$repo/build/windows/e2e/screenshots"
fi
if ((failed)); then
    echo "test.sh: FAILED"
else
    echo "test.sh: all steps passed"
fi
echo "tests: $passed passed, $failed_tests failed, $skipped skipped"
exit "$failed"
