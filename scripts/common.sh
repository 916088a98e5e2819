# Shared by the run and test scripts: install the dependencies, configure and build a tree.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

install_deps() { as_root bash scripts/install-deps.sh; }

# build_tree <folder> [cmake options...]
build_tree() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}
