#!/usr/bin/env bash
# Installs the Debian packages that building and testing need; quick when everything is present.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev googletest make python3
      clang-14 lld-14 llvm-14 clang-tidy-14 clang-format
      g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
      wine wine64 wine32:i386 xvfb imagemagick x11-utils
      fonts-wine fonts-wqy-microhei locales iproute2 util-linux openssl qemu-user-static
      osslsigncode unzip)
locales=(ko_KR ja_JP zh_CN ru_RU it_IT fr_FR de_DE es_ES)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  [ "$(id -u)" = 0 ] || { echo "install-deps: run as root to install: ${missing[*]}" >&2; exit 1; }
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine silently falls back to en-US for a locale that is not generated.
need_gen=0
for l in "${locales[@]}"; do
  if ! locale -a 2>/dev/null | grep -qi "^${l}.utf-\?8$"; then
    sed -i "s/^# *${l}.UTF-8 UTF-8/${l}.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^${l}.UTF-8 UTF-8" /etc/locale.gen || echo "${l}.UTF-8 UTF-8" >>/etc/locale.gen
    need_gen=1
  fi
done
((need_gen == 0)) || locale-gen >/dev/null
