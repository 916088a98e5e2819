#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test twice: a normal build and one under
# AddressSanitizer + UndefinedBehaviorSanitizer. Fuzz targets replay their corpus where present.
source "$(dirname "$0")/common.sh"
install_deps

# Without debug information the trees build markedly faster; the sanitizer tree keeps line tables
# for its reports.
build_tree build -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build -j"$(nproc)" --output-on-failure

build_tree build-asan -DQUILL_SANITIZE=ON -DQUILL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1"
# The leak check does not follow __tls_get_addr: now and then it took a garbage range for a thread's
# dynamic TLS block and crashed at exit after the test had passed. The blocks stay roots all the
# same, as memory the dynamic linker allocated.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -j"$(nproc)" --output-on-failure

if [ -f scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh
fi
