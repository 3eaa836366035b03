# The Debian packages that the project's commands need (tools/test, run, demo, bench, release), and
# the one function that installs those missing. Sourced by the shell commands; run as a program by
# the Python ones (`bash tools/lib/packages.sh`), it installs what is missing and exits.
#
# An entry PACKAGE:COMMAND counts as present when COMMAND is on the PATH, however it got there
# (npm comes with some builds of nodejs and then conflicts with Debian's own package).
VELKARON_PACKAGES=(
  cmake ninja-build g++ python3 googletest nlohmann-json3-dev valgrind binutils
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev wine wine64
  clang-19 libclang-rt-19-dev lld-19
  python3-jsonschema nodejs npm:npm osslsigncode openssl
)

# Prints the packages that are missing, one a line.
velkaron_missing_packages() {
  local entry package command
  for entry in "${VELKARON_PACKAGES[@]}"; do
    package=${entry%%:*}
    command=${entry#*:}
    if [[ $command != "$entry" ]] && command -v "$command" >/dev/null; then continue; fi
    if [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null) != ii* ]]; then
      echo "$package"
    fi
  done
}

# Installs the missing packages from Debian's archive, as root or through sudo.
velkaron_install_packages() {
  local missing
  mapfile -t missing < <(velkaron_missing_packages)
  [[ ${#missing[@]} -eq 0 ]] && return 0
  echo "installing ${missing[*]}" >&2
  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "not root: install ${missing[*]}" >&2; return 1; }
    sudo=(sudo -n)
  fi
  # A source other than Debian's archive may be unreachable: the install below tells whether
  # what is needed could be had.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q || true
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  set -euo pipefail
  velkaron_install_packages
fi
