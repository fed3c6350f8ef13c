#!/usr/bin/env bash
# Builds the sanitizer preset (AddressSanitizer and UndefinedBehaviorSanitizer, build-asan/) and
# runs the slow tests of file handling, the CTest label "robustness": every cut and a few hundred
# byte flips of the sample sites through the real open path, foreign files through Open Site and
# velmora-cli, and saving under injected write and flush failures, onto a full disk, into a
# read-only folder and while being killed. The figures of the run are written to
# build-asan/robustness-figures.txt and printed at the end.
#
# Longer runs: VELMORA_FLIPS=5000 VELMORA_FLIP_SEED=7 bash scripts/robustness.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

# strace injects the faults; setpriv (util-linux) runs the read-only cases as the user nobody.
missing=()
for p in strace util-linux; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f build-asan/CMakeCache.txt ]; then
  cmake --preset asan
fi
# Sanitizer builds are heavy: two jobs unless told otherwise.
cmake --build build-asan --parallel "${JOBS:-2}" \
  --target robustness_tests velmora-robustness-probe velmora-cli
rm -f build-asan/robustness-figures.txt
export QT_QPA_PLATFORM=offscreen
# Leaks are not what these tests look for (and the leak checker cannot run under strace);
# undefined behaviour stops a test at once.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
ctest --preset robustness || status=$?
echo
echo "Figures of this run (build-asan/robustness-figures.txt):"
cat build-asan/robustness-figures.txt 2>/dev/null || echo "(none written)"
exit "$status"
