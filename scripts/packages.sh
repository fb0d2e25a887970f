# Debian packages the program needs, shared by run.sh, test.sh and scripts/test_windows_core.sh.
# Sourced, not run.

# Building and running the program.
TERVOLIN_RUN_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n
  libxlsxwriter-dev libzip-dev libpugixml-dev libfreexl-dev libqrencode-dev
  fonts-dejavu-core fonts-liberation2 fonts-crosextra-carlito
)
# Building and running the tests and benchmarks.
TERVOLIN_TEST_PACKAGES=(
  libgtest-dev libbenchmark-dev
  xvfb xauth imagemagick poppler-utils python3-openpyxl zbar-tools
  cups printer-driver-cups-pdf
  # The package test: cpack -G DEB finds the libraries the program needs with dpkg-shlibdeps and file.
  dpkg-dev file
)
# The core and its tests built for Windows and run under Wine (scripts/test_windows_core.sh).
TERVOLIN_WINDOWS_PACKAGES=(
  cmake make g++-mingw-w64-x86-64-posix googletest wine64
)
# The fuzzer of the workbook reader (cmake -DTERVOLIN_FUZZ=ON with clang); not needed otherwise.
TERVOLIN_FUZZ_PACKAGES=(
  clang
)

# Installs what is missing: with apt-get when running as root, otherwise prints the command and
# fails.
tervolin_install_missing() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq || return 1
    apt-get install -y -qq --no-install-recommends "${missing[@]}" || return 1
  else
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
}
