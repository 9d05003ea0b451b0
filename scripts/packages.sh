# Debian packages and helpers shared by scripts/run and scripts/test (sourced, not run).

# What building and running the program needs: the picture module's libjpeg-turbo, libpng and
# zlib; the font and the subsetter that print characters outside Windows-1252.
SLEEVEMASTER_RUN_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools
  libgl-dev xdg-utils librsvg2-bin fp-utils libtag1-dev libcue-dev qt6-pdf-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev fonts-urw-base35 libharfbuzz-dev)
# What the tests need on top: test and benchmark libraries, clang with libFuzzer and the
# sanitizer runtimes, clang-format, the outside PDF judges, a virtual display, the German locale,
# and what builds, checks and installs the Debian package with its manual page and desktop
# entries, and gio, which shows what the desktop offers for PDF files; the throwaway user of the
# permission tests; the encoders that make the track tests' FLAC, Ogg, MP3, M4A and WavPack
# files, and FFmpeg, which decodes them to judge their lengths; a window manager and the X tools
# that tell where it put the windows; fontconfig, which reads what the insert's font holds, and
# ImageMagick, which makes the pictures of the picture tests and draws the font's glyphs straight
# from the font file.
SLEEVEMASTER_TEST_PACKAGES=(libgtest-dev libgmock-dev googletest libbenchmark-dev clang
  clang-format libclang-rt-14-dev qpdf poppler-utils ghostscript xvfb xauth xdotool x11-apps
  locales dpkg-dev lintian groff-base man-db desktop-file-utils libglib2.0-bin passwd flac
  vorbis-tools lame ffmpeg wavpack openbox x11-utils fontconfig imagemagick)

# Installs whichever of the named packages are missing; does nothing when all are there.
install_missing_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

# Makes sure the named UTF-8 locale exists (for example de_DE.UTF-8).
ensure_locale() {
  local name=$1
  local normalised
  normalised=$(echo "$name" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$normalised" && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  if grep -q "^# *$name UTF-8" /etc/locale.gen 2>/dev/null; then
    "${sudo[@]}" sed -i "s/^# *$name UTF-8/$name UTF-8/" /etc/locale.gen
  elif ! grep -q "^$name UTF-8" /etc/locale.gen 2>/dev/null; then
    echo "$name UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo[@]}" locale-gen >/dev/null
}
