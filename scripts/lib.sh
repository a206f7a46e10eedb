# Sourced by run.sh, screenshots.sh, bench.sh and test.sh: the paths, the machine and Wine set-up,
# the configure and build steps and the Xvfb session they share.
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
sh "$root/scripts/setup.sh"
. "$root/scripts/wine-env.sh"

# configure_tree native|win32|win64: the CMake tree of that name under $build.
configure_tree() {
  case $1 in
    win32) set -- "$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release ;;
    win64) set -- "$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release ;;
    *) set -- "$1" -DCMAKE_BUILD_TYPE=Debug ;;
  esac
  tree=$1; shift
  cmake -S "$root" -B "$build/$tree" "$@" >/dev/null
}

# build_tree TREE [cmake --build arguments, such as --target NAME...]: configures, then builds.
build_tree() {
  tree=$1; shift
  configure_tree "$tree"
  cmake --build "$build/$tree" -j "${JOBS:-$(nproc)}" "$@"
}

# on_xvfb COMMAND [ARGUMENTS...]: runs the command on a fresh Xvfb screen with jwm as the window
# manager (title bars, a working tray, keyboard input) and returns its status.
on_xvfb() {
  xvfb-run -a -s '-screen 0 1280x800x24' sh -c '
    jwm >/dev/null 2>&1 & J=$!; sleep 1
    "$@"; r=$?
    kill $J; exit $r' sh "$@"
}
