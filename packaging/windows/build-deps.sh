#!/usr/bin/env bash
# Builds the libraries the Windows program links (Qt, libzip, SQLite) from Debian's own source packages
# with MinGW-w64, once per machine, into a cache outside the work tree. Each source package is
# pinned to one Debian version, fetched through an apt configuration of its own under the cache
# (the machine's apt set-up is left as it is) and checked against its changelog. Each library
# has a stamp keyed by its version and its build flags; a library whose stamp is there is not
# built again. Prints the prefix, and only that, on standard output; everything else goes to
# standard error, and any failure ends the script with a non-zero status.
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
# The Debian source versions built. Bookworm's archive keeps only the newest upload of a
# package: when a point release replaces one of these, fetching stops with a message that
# names the new version, to be put here (which builds that library again).
declare -A pinned=(
    [qt6-base]=6.4.2+dfsg-10
    [libzip]=1.7.3-1
    [sqlite3]=3.40.1-2+deb12u2
    [qr-code-generator]=1.8.0-1.1
    [zbar]=0.23.92-7+deb12u1
    [libjpeg-turbo]=1:2.1.5-2
    [qpdf]=11.3.0-1+deb12u1
)
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

# The toolchain file is part of every library's build (its linker flags among it).
toolchain_key="$(sha256sum "$toolchain" | cut -c1-12)"
key="$(printf '%s\n' "$qt_version" "${pinned[qt6-base]}" "$toolchain_key" "${qt_flags[@]}" | sha256sum | cut -c1-12)"
prefix="${1:-$cache/win64-qt$qt_version-$key}"
mkdir -p "$prefix" "$cache/src"
export PELLARIN_WINDOWS_PREFIX="$prefix"

# The source packages come from the same archive and suites the machine installs from, read
# through a private apt configuration: its own source list with deb-src, its own package lists.
apt_dir="$cache/apt"
private_apt() {
    if [ ! -f "$apt_dir/apt.conf" ]; then
        mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
        local found=""
        for list in /etc/apt/sources.list.d/*.sources; do
            [ -f "$list" ] || continue
            sed 's/^Types:.*$/Types: deb-src/' "$list" > "$apt_dir/sources.list.d/$(basename "$list")"
            found=1
        done
        : > "$apt_dir/sources.list"
        if [ -f /etc/apt/sources.list ]; then
            sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list > "$apt_dir/sources.list"
            [ -s "$apt_dir/sources.list" ] && found=1
        fi
        [ -n "$found" ] || { echo "no apt source list in /etc/apt to take the source archive from" >&2; exit 1; }
        {
            echo "Dir::Etc::SourceList \"$apt_dir/sources.list\";"
            echo "Dir::Etc::SourceParts \"$apt_dir/sources.list.d\";"
            echo "Dir::State::Lists \"$apt_dir/lists\";"
            echo "Dir::Cache \"$apt_dir/cache\";"
            # The cache is the user's own: apt need not hand the download to its _apt user.
            echo "APT::Sandbox::User \"$(id -un)\";"
        } > "$apt_dir/apt.conf.new"
        mv "$apt_dir/apt.conf.new" "$apt_dir/apt.conf"
    fi
    if [ ! -f "$apt_dir/updated" ]; then
        APT_CONFIG="$apt_dir/apt.conf" apt-get update -q >&2
        touch "$apt_dir/updated"
    fi
}

# Unpacks Debian's source package $1 at its pinned version under the cache; prints its folder.
fetch_source() {
    local pkg="$1" version="${pinned[$1]}" dir
    local where="$cache/src/$pkg-$version"
    dir="$(find "$where" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -n1 || true)"
    if [ -z "$dir" ]; then
        private_apt
        rm -rf "$where" && mkdir -p "$where"
        if ! (cd "$where" && APT_CONFIG="$apt_dir/apt.conf" apt-get source -q "$pkg=$version" >&2); then
            local offered
            offered="$(APT_CONFIG="$apt_dir/apt.conf" apt-cache showsrc "$pkg" 2>/dev/null | sed -n 's/^Version: //p' | tr '\n' ' ')"
            echo "$pkg $version is not in the archive any more (it offers: ${offered:-nothing});" \
                 "set its version in ${BASH_SOURCE[0]}" >&2
            rm -rf "$where"
            exit 1
        fi
        dir="$(find "$where" -mindepth 1 -maxdepth 1 -type d | head -n1)"
    fi
    local unpacked
    unpacked="$(dpkg-parsechangelog -l "$dir/debian/changelog" -S Version)"
    if [ "$unpacked" != "$version" ]; then
        echo "$dir holds $pkg $unpacked, not the pinned $version" >&2
        exit 1
    fi
    echo "$dir"
}

# Unpacks the upstream tarball of Debian's source package $1 at its pinned version, with no
# Debian patches applied; prints its folder. For a package whose Debian tarball the archive has
# lost, so that apt-get source stops after fetching the rest.
fetch_upstream() {
    local pkg="$1" version="${pinned[$1]}"
    local where="$cache/src/$pkg-$version-upstream" dir
    dir="$(find "$where" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -n1 || true)"
    if [ -z "$dir" ]; then
        private_apt
        rm -rf "$where" && mkdir -p "$where"
        (cd "$where" && APT_CONFIG="$apt_dir/apt.conf" apt-get source -q --download-only "$pkg=$version" >&2) || true
        local tarball
        tarball="$(find "$where" -maxdepth 1 -name "*.orig.tar.*" | head -n1)"
        [ -n "$tarball" ] || { echo "no upstream tarball of $pkg $version in the archive" >&2; exit 1; }
        tar -xf "$tarball" -C "$where"
        dir="$(find "$where" -mindepth 1 -maxdepth 1 -type d | head -n1)"
    fi
    echo "$dir"
}

stamp_of() { # name, package, flags...
    local name="$1" pkg="$2"; shift 2
    echo "$prefix/.built-$name-$(printf '%s\n' "${pinned[$pkg]}" "$toolchain_key" "$@" | sha256sum | cut -c1-12)"
}

build_cmake_source() { # package, stamp name, flags...
    local pkg="$1" name="$2"; shift 2
    local stamp; stamp="$(stamp_of "$name" "$pkg" "$@")"
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
    local stamp; stamp="$(stamp_of sqlite sqlite3 "${sqlite_flags[@]}")"
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

# qr-code-generator's C++ library is one file: compiled into a static library, as Debian's is.
build_qrcodegen() {
    local stamp; stamp="$(stamp_of qrcodegen qr-code-generator -O2)"
    [ -f "$stamp" ] && return 0
    local src; src="$(fetch_upstream qr-code-generator)"
    local bld="$cache/build/qrcodegen"
    rm -rf "$bld" && mkdir -p "$bld" "$prefix/lib" "$prefix/include/qrcodegen"
    x86_64-w64-mingw32-g++-posix -O2 -std=c++11 -c "$src/cpp/qrcodegen.cpp" -o "$bld/qrcodegen.o"
    rm -f "$prefix/lib/libqrcodegencpp.a"
    x86_64-w64-mingw32-ar rcs "$prefix/lib/libqrcodegencpp.a" "$bld/qrcodegen.o"
    cp "$src/cpp/qrcodegen.hpp" "$prefix/include/qrcodegen/"
    touch "$stamp"
}

# zbar, the QR code reader, as a DLL (LGPL-2.1): autotools, QR codes only, nothing of video,
# windows or other libraries. MinGW has no iconv, and zbar's QR stage opens one even in binary
# mode, where it converts nothing: a header that serves UTF-8 and Latin-1 is enough.
zbar_flags=(
    --enable-shared --disable-static --enable-codes=qrcode --disable-video --disable-pthread --disable-doc
    --disable-nls --without-imagemagick --without-graphicsmagick --without-jpeg --without-gtk --without-gir
    --without-qt --without-qt5 --without-python --without-java --without-dbus --without-npapi --without-x
    --without-xshm --without-xv
)
build_zbar() {
    local stamp; stamp="$(stamp_of zbar zbar "${zbar_flags[@]}" "$(sha256sum "$here/iconv.h" | cut -c1-12)")"
    [ -f "$stamp" ] && return 0
    local src; src="$(fetch_source zbar)"
    local bld="$cache/build/zbar"
    rm -rf "$bld" && cp -a "$src" "$bld" && mkdir -p "$bld/shim" && cp "$here/iconv.h" "$bld/shim/iconv.h"
    echo "Building zbar for Windows from $src" >&2
    (cd "$bld" && autoreconf -fi >&2 &&
        ./configure --host=x86_64-w64-mingw32 --prefix="$prefix" CC=x86_64-w64-mingw32-gcc-posix \
            CPPFLAGS="-I$bld/shim" LDFLAGS="-Wl,--no-insert-timestamp" "${zbar_flags[@]}" >&2 &&
        make -j"$jobs" >&2 && make install >&2)
    # A static iconv or the like makes libtool build no DLL at all, and make still succeeds.
    [ -f "$prefix/bin/libzbar-0.dll" ] || { echo "zbar built no DLL" >&2; exit 1; }
    rm -rf "$bld"
    touch "$stamp"
}

# libjpeg-turbo, which qpdf needs for JPEG; with nasm, its SIMD code is built too.
libjpeg_flags=(-DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON)
# qpdf (Apache-2.0), its library alone: the host's zlib, GnuTLS and OpenSSL are never looked
# for (pkg-config is off), its own crypto is used, and its checks link MinGW's libadvapi32.a by
# that name, or they all fail and it falls back quietly to 32-bit file offsets.
qpdf_flags=(
    -DPKG_CONFIG_EXECUTABLE=/bin/false -DUSE_IMPLICIT_CRYPTO=OFF -DREQUIRE_CRYPTO_NATIVE=ON
    -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.dll.a
    -DBUILD_STATIC_LIBS=OFF -DBUILD_SHARED_LIBS=ON -DBUILD_DOC=OFF -DREQUIRE_CRYPTO_GNUTLS=OFF -DREQUIRE_CRYPTO_OPENSSL=OFF
)
build_qpdf() {
    local stamp; stamp="$(stamp_of qpdf qpdf "${qpdf_flags[@]}" "${pinned[libjpeg-turbo]}")"
    [ -f "$stamp" ] && return 0
    local src; src="$(fetch_source qpdf)"
    local bld="$cache/build/qpdf"
    rm -rf "$bld" && mkdir -p "$bld" && cp -a "$src" "$bld/src"
    echo "Building qpdf for Windows from $src" >&2
    sed -i 's/\bAdvapi32\b/advapi32/g' "$bld/src/CMakeLists.txt"
    cmake -G Ninja -S "$bld/src" -B "$bld/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
        -DJPEG_INCLUDE_DIR="$prefix/include" -DJPEG_LIBRARY="$prefix/lib/libjpeg.a" "${qpdf_flags[@]}" >&2
    cmake --build "$bld/build" --target libqpdf -j "$jobs" >&2
    cmake --install "$bld/build" --component dev >&2
    cmake --install "$bld/build" --component Unspecified >&2
    ls "$prefix"/bin/qpdf*.dll >/dev/null 2>&1 || { echo "qpdf built no DLL" >&2; exit 1; }
    rm -rf "$bld"
    touch "$stamp"
}

build_cmake_source qt6-base qtbase "${qt_flags[@]}"
build_cmake_source libzip libzip "${libzip_flags[@]}"
build_sqlite
build_qrcodegen
build_zbar
build_cmake_source libjpeg-turbo libjpeg-turbo "${libjpeg_flags[@]}"
build_qpdf

# Qt's Chinese texts are the same files on every system: Debian's, beside the Windows Qt.
mkdir -p "$prefix/translations"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$prefix/translations/"

# The licences of what the installer ships, and where each source came from.
licences="$prefix/licenses"
if ! grep -qs "qpdf=${pinned[qpdf]}" "$licences/SOURCES.txt"; then
    mkdir -p "$licences/qt" "$licences/libzip" "$licences/zlib" "$licences/mingw-w64" "$licences/sqlite" \
        "$licences/qrcodegen" "$licences/zbar" "$licences/qpdf" "$licences/libjpeg-turbo"
    zbar_src="$(fetch_source zbar)"
    cp "$zbar_src/COPYING" "$zbar_src/LICENSE.md" "$zbar_src/debian/copyright" "$licences/zbar/" 2>/dev/null ||
        cp "$zbar_src/COPYING" "$zbar_src/debian/copyright" "$licences/zbar/"
    qpdf_src="$(fetch_source qpdf)"
    cp "$qpdf_src/LICENSE.txt" "$qpdf_src/debian/copyright" "$licences/qpdf/"
    jpeg_src="$(fetch_source libjpeg-turbo)"
    cp "$jpeg_src/LICENSE.md" "$jpeg_src/README.ijg" "$jpeg_src/debian/copyright" "$licences/libjpeg-turbo/"
    qt_src="$(fetch_source qt6-base)"
    cp "$qt_src"/LICENSES/* "$qt_src/debian/copyright" "$licences/qt/"
    zip_src="$(fetch_source libzip)"
    cp "$zip_src/LICENSE" "$zip_src/debian/copyright" "$licences/libzip/"
    cp /usr/share/doc/libz-mingw-w64/copyright "$licences/zlib/copyright"
    cp "$(fetch_source sqlite3)/debian/copyright" "$licences/sqlite/copyright"
    # The MIT licence is in the header's opening comment.
    sed -n '1,/\*\//p' "$(fetch_upstream qr-code-generator)/cpp/qrcodegen.hpp" > "$licences/qrcodegen/LICENSE"
    cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licences/mingw-w64/gcc-runtime-copyright"
    cp /usr/share/doc/mingw-w64-common/copyright "$licences/mingw-w64/mingw-w64-copyright"
    {
        echo "Pellarin for Windows ships these libraries of others, each under its own licence (the"
        echo "files in this folder). Their source is Debian's, from the Debian 12 (bookworm) archive:"
        echo
        echo "  apt-get source qt6-base=${pinned[qt6-base]}  (Qt 6 Core, Gui, Widgets, PrintSupport and plugins)"
        echo "  apt-get source libzip=${pinned[libzip]}"
        echo "  apt-get source sqlite3=${pinned[sqlite3]}  (SQLite, in the public domain,"
        echo "    linked into pellarin.exe for the practice records)"
        echo "  apt-get source --download-only qr-code-generator=${pinned[qr-code-generator]}: its upstream"
        echo "    tarball, with no Debian patches applied (the archive lacks the Debian tarball),"
        echo "    linked into the programs to print QR codes"
        echo "  apt-get source zbar=${pinned[zbar]}  (libzbar-0.dll, under the GNU LGPL version 2.1: the DLL"
        echo "    can be replaced by a build of the same version made from that source)"
        echo "  apt-get source qpdf=${pinned[qpdf]}  (qpdf29.dll, Apache License 2.0)"
        echo "  apt-get source libjpeg-turbo=${pinned[libjpeg-turbo]}  (linked into qpdf29.dll)"
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
