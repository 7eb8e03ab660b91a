# Shared by the README's commands.

# Installs the Debian packages that are missing: apt-get update once, and
# nothing at all when everything is there already.
install_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures a build directory; later runs only rebuild what changed.
configure() {
  local dir=$1
  shift
  cmake --no-warn-unused-cli -S . -B "$dir" "$@" >/dev/null
}

# Builds a directory and shows the compiler's output only when it fails.
build_quietly() {
  local dir=$1
  shift
  local log="$dir/build.log"
  if ! cmake --build "$dir" "$@" >"$log" 2>&1; then
    cat "$log"
    return 1
  fi
}
