#!/usr/bin/env bash
# Installs what is needed, builds the editor and starts it.
source "$(dirname "$0")/common.sh"
install_deps
build_tree build -DQUILL_BENCH=OFF
exec build/bin/Quillmoor "$@"
