# Installs the Debian packages Ferngrove needs to build, test and run, when they are missing.
# Sourced by ./run and ./test. Works as root or through sudo.

ferngrove_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins libgl1-mesa-dev
  fonts-liberation2 fonts-urw-base35
  poppler-utils locales xdg-utils
  python3-icalendar clang-14 libclang-rt-14-dev
)

ferngrove_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ferngrove_install_deps() {
  local missing=()
  for p in "${ferngrove_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    ferngrove_sudo apt-get update -qq
    ferngrove_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# The locales the regional-format tests read through the real locale layer.
ferngrove_install_locales() {
  local want=(en_US.UTF-8 sv_SE.UTF-8 de_DE.UTF-8) need=0
  for l in "${want[@]}"; do
    locale -a 2>/dev/null | grep -qi "^${l%%.*}\.utf-\?8$" || need=1
  done
  if [ $need -eq 1 ]; then
    for l in "${want[@]}"; do
      ferngrove_sudo sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
      grep -q "^${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | ferngrove_sudo tee -a /etc/locale.gen >/dev/null
    done
    ferngrove_sudo locale-gen >/dev/null
  fi
}
