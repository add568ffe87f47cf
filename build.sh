#!/bin/bash
# Sets up a Debian 12 machine, builds, and then either starts the program or
# runs the whole test suite headless.
#   ./build.sh run    install packages, build, start Quorvel
#   ./build.sh test   install packages, build, run every test; build the
#                     Debian package, check it with lintian and run it
#                     unpacked for two users (see package below); then build
#                     again with the address and undefined-behaviour
#                     sanitizers (build-asan) and run every test there too,
#                     while clang-tidy and cppcheck go over src/
#                     (tools/analyse.sh); then fuzz every fuzz target for a
#                     minute (fuzz/run.sh)
#   ./build.sh package  install packages, build the Debian package
#                     (build-package/quorvel_<version>_<arch>.deb) and check
#                     it with lintian
#   ./build.sh bench  install packages, build, run every benchmark (bench/README.md)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-serialport-dev libqt6svg6 qt6-qpa-plugins
    qt6-webengine-dev libqt6webenginecore6-bin
    libsqlite3-dev libgl-dev libbenchmark-dev libx11-dev fonts-liberation
    libchm-dev fp-utils
    xvfb xauth xdotool xclip socat sqlite3
    clang libclang-rt-14-dev clang-tidy cppcheck
    openbox x11-utils imagemagick sqlite3 dbus-daemon at-spi2-core python3 python3-pyatspi
    desktop-file-utils appstream
    qtkeychain-qt6-dev gnome-keyring radicale xandikos openssl vdirsyncer khard python3-vobject
    libphonenumber-dev libprotobuf-dev libabsl-dev libicu-dev xdg-utils
    dunst debhelper dpkg-dev fakeroot lintian ccache
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${PACKAGES[@]}"
}

build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_WARNINGS_AS_ERRORS=ON \
        -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
    cmake --build build --parallel "$(nproc)"
}

run_tests() {
    ctest --test-dir "$@" --output-on-failure --parallel "$(nproc)" --no-tests=error
}

# The package is built by the Debian tools from a copy of the sources in
# build-package/, where they also leave the package: nothing is written
# beside the project. Only what the package ships is compiled (no tests, no
# benchmarks), with the Debian build flags; ccache keeps a rebuild short.
package() {
    local version stage source
    version=$(dpkg-parsechangelog -SVersion)
    stage=build-package
    source=$stage/quorvel-${version%-*}
    rm -rf "$source" "$stage"/*.deb "$stage"/*.changes "$stage"/*.buildinfo
    mkdir -p "$source"
    tar --exclude='./build*' --exclude=./.git --exclude=./.cache -cf - . | tar -C "$source" -xf -
    # A compiler cache only when one is named (CCACHE_DIR): debhelper gives
    # the build a home of its own, and nothing is written in the user's.
    local launcher=
    if command -v ccache >/dev/null && [ -n "${CCACHE_DIR:-}" ]; then
        launcher=ccache
    fi
    (cd "$source" && QUORVEL_COMPILER_LAUNCHER=$launcher dpkg-buildpackage -b -us -uc)
    rm -rf "$source"
    lintian --fail-on error,warning --info "$stage/quorvel_${version}_$(dpkg --print-architecture).deb"
}

# The package as users get it, unpacked into a temporary root and started
# there by two users on an X desktop (tests/package/unpacked_story.sh).
package_story() {
    local deb
    deb=build-package/quorvel_$(dpkg-parsechangelog -SVersion)_$(dpkg --print-architecture).deb
    xvfb-run -a -s "-screen 0 1024x768x24" bash tests/e2e/desktop.sh bash tests/package/unpacked_story.sh "$deb"
}

sanitized_tests() {
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_SANITIZE=ON -DQUORVEL_WARNINGS_AS_ERRORS=ON
    cmake --build build-asan --parallel "$(nproc)"
    # The stories of the real program from outside run once, in the plain
    # build: the same code runs sanitized in the tests that drive it in process.
    run_tests build-asan -E '^e2e_'
}

# The analysers read the plain build's compile commands while the sanitized
# build runs beside them; their findings are shown once both are done.
sanitized_and_analysed() {
    tools/analyse.sh build >build/analysis.log 2>&1 &
    local analysis=$!
    trap "wait $analysis; cat build/analysis.log" EXIT
    sanitized_tests
    trap - EXIT
    local status=0
    wait "$analysis" || status=$?
    cat build/analysis.log
    return "$status"
}

case "${1:-}" in
run)
    install_packages
    build
    exec build/bin/Quorvel
    ;;
test)
    install_packages
    build
    run_tests build
    package
    package_story
    sanitized_and_analysed
    fuzz/run.sh 60
    ;;
package)
    install_packages
    package
    ;;
bench)
    install_packages
    exec bench/run.sh
    ;;
*)
    echo "usage: $0 run|test|package|bench" >&2
    exit 2
    ;;
esac
