#!/usr/bin/env bash
# Builds the libraries the Windows program links (Qt, libzip, SQLite) from Debian's own source packages
# with MinGW-w64, once per machine, into a cache outside the work tree. Each library has a
# stamp keyed by its version and its build flags; a library whose stamp is there is not built
# again. Prints the prefix on its last line.
#
#   packaging/windows/build-deps.sh [PREFIX]
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
toolchain="$here/mingw-w64-x86_64.cmake"
cache="${PELLARIN_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pellarin}"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

qt_version=6.4.2
# What the program needs of Qt: Core, Gui, Widgets, PrintSupport, Test and the windows,
# offscreen and minimal platforms. Debian's source leaves out src/3rdparty/wintab, so tablets
# are off; with OpenGL off, 6.4 still turns on dynamicgl, which does not compile without it.
qt_flags=(
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_system_zlib=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_dynamicgl=OFF
    -DFEATURE_vulkan=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF
)
libzip_flags=(
    -DBUILD_SHARED_LIBS=ON -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF
    -DBUILD_DOC=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF
    -DENABLE_OPENSSL=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF
    -DENABLE_WINDOWS_CRYPTO=ON
)

# SQLite as one static library: the amalgamation that its own build makes from Debian's source
# (with the machine's compiler and tclsh), compiled for Windows. Nothing to ship beside the program.
sqlite_flags=(-O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION)

key="$(printf '%s\n' "$qt_version" "${qt_flags[@]}" | sha256sum | cut -c1-12)"
prefix="${1:-$cache/win64-qt$qt_version-$key}"
mkdir -p "$prefix" "$cache/src"
export PELLARIN_WINDOWS_PREFIX="$prefix"

# The source packages come from the same archive and suite the machine installs from.
ensure_deb_src() {
    if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        local list=/etc/apt/sources.list.d/debian.sources
        [ -f "$list" ] || { echo "no $list to take the source archive from" >&2; exit 1; }
        # The same stanzas with deb-src added to their types.
        sed 's/^Types: deb$/Types: deb deb-src/' "$list" | $SUDO tee "$list.new" >/dev/null
        $SUDO mv "$list.new" "$list"
        $SUDO apt-get update -q >&2
    fi
}

# Unpacks Debian's source package $1 under the cache; prints its folder.
fetch_source() {
    local pkg="$1" dir
    dir="$(find "$cache/src/$pkg" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -n1 || true)"
    if [ -z "$dir" ]; then
        ensure_deb_src
        rm -rf "$cache/src/$pkg" && mkdir -p "$cache/src/$pkg"
        (cd "$cache/src/$pkg" && apt-get source -q "$pkg" >&2)
        dir="$(find "$cache/src/$pkg" -mindepth 1 -maxdepth 1 -type d | head -n1)"
    fi
    echo "$dir"
}

stamp_of() { # name, flags...
    local name="$1"; shift
    echo "$prefix/.built-$name-$(printf '%s\n' "$@" | sha256sum | cut -c1-12)"
}

build_cmake_source() { # package, stamp name, flags...
    local pkg="$1" name="$2"; shift 2
    local stamp; stamp="$(stamp_of "$name" "$@")"
    [ -f "$stamp" ] && return 0
    local src; src="$(fetch_source "$pkg")"
    local bld="$cache/build/$name"
    rm -rf "$bld"
    echo "Building $name for Windows from $src (this machine does it once)" >&2
    cmake -G Ninja -S "$src" -B "$bld" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_PREFIX_PATH="$prefix" "$@" >&2
    cmake --build "$bld" -j "$jobs" >&2
    cmake --install "$bld" >&2
    rm -rf "$bld"
    touch "$stamp"
}

build_sqlite() {
    local stamp; stamp="$(stamp_of sqlite "${sqlite_flags[@]}")"
    [ -f "$stamp" ] && return 0
    local src; src="$(fetch_source sqlite3)"
    local bld="$cache/build/sqlite"
    rm -rf "$bld" && mkdir -p "$bld"
    echo "Building SQLite for Windows from $src (this machine does it once)" >&2
    (cd "$bld" && "$src/configure" --disable-tcl >&2 && make sqlite3.c >&2)
    x86_64-w64-mingw32-gcc-posix "${sqlite_flags[@]}" -c "$bld/sqlite3.c" -o "$bld/sqlite3.o"
    mkdir -p "$prefix/lib" "$prefix/include"
    rm -f "$prefix/lib/libsqlite3.a"
    x86_64-w64-mingw32-ar rcs "$prefix/lib/libsqlite3.a" "$bld/sqlite3.o"
    cp "$bld/sqlite3.h" "$prefix/include/"
    rm -rf "$bld"
    touch "$stamp"
}

build_cmake_source qt6-base qtbase "${qt_flags[@]}"
build_cmake_source libzip libzip "${libzip_flags[@]}"
build_sqlite

# Qt's Chinese texts are the same files on every system: Debian's, beside the Windows Qt.
mkdir -p "$prefix/translations"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$prefix/translations/"

# The licences of what the installer ships, and where each source came from.
licences="$prefix/licenses"
if ! grep -qs 'apt-get source sqlite3' "$licences/SOURCES.txt"; then
    mkdir -p "$licences/qt" "$licences/libzip" "$licences/zlib" "$licences/mingw-w64" "$licences/sqlite"
    qt_src="$(fetch_source qt6-base)"
    cp "$qt_src"/LICENSES/* "$qt_src/debian/copyright" "$licences/qt/"
    zip_src="$(fetch_source libzip)"
    cp "$zip_src/LICENSE" "$zip_src/debian/copyright" "$licences/libzip/"
    cp /usr/share/doc/libz-mingw-w64/copyright "$licences/zlib/copyright"
    cp "$(fetch_source sqlite3)/debian/copyright" "$licences/sqlite/copyright"
    cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licences/mingw-w64/gcc-runtime-copyright"
    cp /usr/share/doc/mingw-w64-common/copyright "$licences/mingw-w64/mingw-w64-copyright"
    {
        echo "Pellarin for Windows ships these libraries of others, each under its own licence (the"
        echo "files in this folder). Their source is Debian's, from the Debian 12 (bookworm) archive:"
        echo
        for pkg in qt6-base libzip; do
            version="$(basename "$(fetch_source "$pkg")")"
            echo "  $version: apt-get source $pkg  (Qt 6 Core, Gui, Widgets, PrintSupport and plugins; libzip)"
        done
        echo "  $(basename "$(fetch_source sqlite3)"): apt-get source sqlite3  (SQLite, in the public domain,"
        echo "    linked into pellarin.exe for the practice records)"
        echo "  zlib: the libz-mingw-w64 package, source package libz-mingw-w64"
        echo "  libstdc++-6.dll, libgcc_s_seh-1.dll: GCC's runtime (source package gcc-mingw-w64),"
        echo "    under the GPL with the GCC Runtime Library Exception"
        echo "  libwinpthread-1.dll: MinGW-w64's winpthreads (source package mingw-w64)"
        echo
        echo "Qt is used under the GNU LGPL version 3: its DLLs are separate files that can be replaced"
        echo "by builds of the same version made from that source."
    } > "$licences/SOURCES.txt"
fi

echo "$prefix"
