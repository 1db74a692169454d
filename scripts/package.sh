#!/usr/bin/env bash
# Builds the Debian package build/package/murmel-alarm_<version>_<arch>.deb
# from the working tree, checks it with lintian (errors fail, the report is
# kept beside the package) and starts the unpacked package against the local
# Murmel service (tests/e2e/test_install.py). MURMEL_PACKAGE_SKIP_CHECK=1
# leaves the start check out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

out="$PWD/build/package"
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
deb="$out/murmel-alarm_${version}_${arch}.deb"
src="$out/murmel-alarm-${version%-*}"

# The tree as it is, without build output: tracked and new files.
rm -rf "$out"
mkdir -p "$src"
git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf - | tar -xf - -C "$src"

# The shared compiler cache, if there is one: debhelper gives the build a
# HOME of its own, so the cache is named outright.
if command -v ccache >/dev/null; then
  export CCACHE_DIR="${CCACHE_DIR:-$(ccache -k cache_dir)}"
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
echo "== package build"
(cd "$src" &&
  DEB_BUILD_OPTIONS="noautodbgsym parallel=${MURMEL_PACKAGE_JOBS:-2}" \
    dpkg-buildpackage -b -us -uc >"$out/build.log" 2>&1) || {
  tail -n 60 "$out/build.log" >&2
  echo "package.sh: the package build failed (log: $out/build.log)" >&2
  exit 1
}
rm -rf "$src"
echo "$deb"
dpkg-deb -c "$deb" | awk '{print $6}'

echo "== lintian"
status=0
lintian --display-info --fail-on error "$deb" | tee "$out/lintian.txt" || status=$?
if [[ $status -ne 0 ]]; then
  echo "package.sh: lintian found errors" >&2
  exit 1
fi

if [[ -z "${MURMEL_PACKAGE_SKIP_CHECK:-}" ]]; then
  echo "== start check of the unpacked package"
  cmake --preset dev >/dev/null
  cmake --build --preset dev -j "${MURMEL_PACKAGE_JOBS:-2}" --target murmel-service
  (cd tests/e2e &&
    MURMEL_PACKAGE="$deb" MURMEL_BINARY_DIR="$PWD/../../build/dev" \
      MURMEL_TEST_ARTIFACTS="$PWD/../../build/dev/test-artifacts" \
      /usr/bin/python3 -m unittest -v test_install.DebianPackage)
fi
