# Shared by scripts/run and scripts/test: install what is missing, build,
# and run a virtual X display for Wine.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

export WINEDEBUG=-all
# Wine names Unix files in the locale's charset: UTF-8, so that the tests'
# folders in other scripts can be made. The prefix's ANSI code page stays
# 1252 (en-US), so those letters really are outside it.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

# "check:package" pairs: a command or file whose absence means the Debian
# package must be installed.
REQUIRED_TOOLS=(
    "cmake:cmake"
    "g++:g++"
    "clang++:clang"
    "/usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a:libclang-rt-14-dev"
    "x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix"
    "x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix"
    "x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64"
    "x86_64-w64-mingw32-objdump:binutils-mingw-w64-x86-64"
    "wine:wine"
    "/usr/lib/wine/wine64:wine64"
    "Xvfb:xvfb"
    "xwd:x11-apps"
    "xwininfo:x11-utils"
    "xdotool:xdotool"
    "/usr/bin/convert:imagemagick"
    "/usr/src/googletest/CMakeLists.txt:googletest"
    "/usr/include/gtest/gtest.h:libgtest-dev"
    "/usr/include/benchmark/benchmark.h:libbenchmark-dev"
    "python3:python3"
)

install_missing() {
    local missing=() entry check package
    for entry in "${REQUIRED_TOOLS[@]}"; do
        check="${entry%%:*}"
        package="${entry#*:}"
        if [[ "$check" == /* ]]; then
            [[ -e "$check" ]] && continue
        else
            command -v "$check" >/dev/null 2>&1 && continue
        fi
        missing+=("$package")
    done
    if ((${#missing[@]} > 0)); then
        # Deduplicate while keeping the order.
        mapfile -t missing < <(printf '%s\n' "${missing[@]}" | awk '!seen[$0]++')
        echo "Installing: ${missing[*]}"
        local sudo=""
        [[ $(id -u) -ne 0 ]] && sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
    fi
}

build_preset() {
    local preset="$1"
    shift
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)" "$@"
}

XVFB_PID=""

# Starts Xvfb on a free display number and exports DISPLAY. The screen holds
# the Options dialog at 200 % display scaling.
start_virtual_display() {
    local n
    for n in $(seq 91 140); do
        if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then
            Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
            XVFB_PID=$!
            local i
            for i in $(seq 1 100); do
                [[ -e /tmp/.X11-unix/X$n ]] && break
                kill -0 "$XVFB_PID" 2>/dev/null || break
                sleep 0.1
            done
            if [[ -e /tmp/.X11-unix/X$n ]]; then
                export DISPLAY=":$n"
                return 0
            fi
            kill "$XVFB_PID" 2>/dev/null || true
            XVFB_PID=""
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}

stop_virtual_display() {
    if [[ -n "$XVFB_PID" ]]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}

# Ends every Wine process of a prefix.
stop_wine() {
    WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 || true
}

# Creates a Wine prefix once, with the crash dialog switched off.
ensure_wine_prefix() {
    cmake -DPREFIX="$1" -P "$ROOT/cmake/wine_prefix.cmake"
}
