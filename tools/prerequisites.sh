#!/bin/bash
# Makes sure that the Debian packages of each named purpose are installed:
#   build     the tool and balloon-preview: cmake, g++, make
#   bench     the benchmark: python3, and GNU time for the peak memory (/usr/bin/time)
#   tests     the test suite: GoogleTest (its sources build it for Windows too), python3 (a
#             socket planted in the failure table)
#   fuzz      the fuzz target: clang and its runtime libraries (the sanitizer build uses g++)
#   windows   the Windows executables and their tests: mingw-w64 for x86_64 and i686, Wine with
#             32-bit support (the i386 architecture is added for it)
# Run as root, it installs what is missing with apt-get; otherwise it prints the command that
# would and stops with status 1.
#   tools/prerequisites.sh PURPOSE...
set -euo pipefail

packages() {
    case "$1" in
    build) echo cmake g++ make ;;
    bench) echo python3 time ;;
    tests) echo libgtest-dev googletest python3 ;;
    fuzz) echo clang libclang-rt-dev ;; # the runtime of the default clang, whatever its version
    windows) echo g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 wine32:i386 ;;
    *)
        echo "tools/prerequisites.sh: unknown purpose $1 (build, bench, tests, fuzz, windows)" >&2
        exit 2
        ;;
    esac
}

missing=()
for purpose in "$@"; do
    for pkg in $(packages "$purpose"); do
        dpkg-query -W -f='${Status}' "$pkg" 2> /dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
done
[ ${#missing[@]} -eq 0 ] && exit 0

i386=false # wine32 needs the i386 architecture
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    i386=true
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    if $i386; then
        echo "  sudo dpkg --add-architecture i386 && sudo apt-get update" >&2
    fi
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "Installing ${missing[*]} (a few minutes the first time)"
if $i386; then
    dpkg --add-architecture i386
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" > /dev/null
