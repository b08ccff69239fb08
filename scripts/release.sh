#!/usr/bin/env bash
# make release: both architectures built afresh from the committed tree, packed reproducibly into dist/, signed
# when a certificate is given.
#
#   scripts/release.sh [--out DIR] [--build-root DIR] [--presets "X86 X64"] [--prebuilt] [--allow-dirty]
#
#   SOURCE_DATE_EPOCH   the time stamped into the archives (default: the last commit's time)
#   SIGN_PFX, SIGN_PASS a PKCS#12 code-signing certificate and its password: both exes are Authenticode-signed
#                       (SHA-256) before they are packed. Without SIGN_PFX the release is unsigned and says so.
#   SIGN_TIMESTAMP_URL  an RFC 3161 time-stamping server for the signatures (optional)
#
# The version is the project version of CMakeLists.txt; when HEAD carries a tag, the tag (with or without a
# leading "v") must name the same version. The build folders (default build/release/<preset>) are made anew.
# --prebuilt packs the exes already in <build-root>/<preset>/ instead of building (the reproducibility test uses
# it for a build that make test has made already); --allow-dirty builds from a tree with uncommitted changes.
set -euo pipefail
cd "$(dirname "$0")/.."
out=dist
build_root=build/release
presets="win32 win64"
prebuilt=0
allow_dirty=0
while (($#)); do
  case $1 in
    --out) out=$2; shift 2 ;;
    --build-root) build_root=$2; shift 2 ;;
    --presets) presets=$2; shift 2 ;;
    --prebuilt) prebuilt=1; shift ;;
    --allow-dirty) allow_dirty=1; shift ;;
    *) echo "release: unknown argument $1" >&2; exit 2 ;;
  esac
done
read -r x86_preset x64_preset <<<"$presets"
[ -n "${x64_preset:-}" ] || { echo "release: --presets needs two presets, x86 then x64" >&2; exit 2; }
jobs=${JOBS:-2}

version=$(sed -n 's/^project(Tempowave VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no project version in CMakeLists.txt" >&2; exit 1; }
four() { local v=$1; while [ "$(tr -cd . <<<"$v" | wc -c)" -lt 3 ]; do v=$v.0; done; echo "$v"; }

in_git=0
git rev-parse --is-inside-work-tree >/dev/null 2>&1 && in_git=1
if ((in_git)); then
  if tag=$(git describe --tags --exact-match HEAD 2>/dev/null); then
    if [ "$(four "${tag#v}")" != "$(four "$version")" ]; then
      echo "release: HEAD is tagged $tag but the project version is $version" >&2
      exit 1
    fi
  fi
  if ((!allow_dirty)) && [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "release: the tree has uncommitted changes; a release is built from a commit" >&2
    exit 1
  fi
  : "${SOURCE_DATE_EPOCH:=$(git log -1 --format=%ct)}"
fi
[ -n "${SOURCE_DATE_EPOCH:-}" ] || { echo "release: outside git, SOURCE_DATE_EPOCH must be set" >&2; exit 1; }
export SOURCE_DATE_EPOCH

exe_of() { echo "$build_root/$1/Tempowave.exe"; }
if ((!prebuilt)); then
  for preset in $x86_preset $x64_preset; do
    rm -rf "${build_root:?}/$preset"
    cmake --preset "$preset" -B "$build_root/$preset" >/dev/null
    cmake --build "$build_root/$preset" --target Tempowave -j"$jobs"
  done
fi
for preset in $x86_preset $x64_preset; do
  [ -f "$(exe_of "$preset")" ] || { echo "release: no $(exe_of "$preset")" >&2; exit 1; }
done

rm -rf "$out"
mkdir -p "$out"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$(exe_of "$x86_preset")" "$stage/x86.exe"
cp "$(exe_of "$x64_preset")" "$stage/x64.exe"
if [ -n "${SIGN_PFX:-}" ]; then
  for arch in x86 x64; do
    args=(sign -pkcs12 "$SIGN_PFX" -pass "${SIGN_PASS:-}" -h sha256 -n Tempowave -in "$stage/$arch.exe"
          -out "$stage/$arch.signed.exe")
    [ -z "${SIGN_TIMESTAMP_URL:-}" ] || args+=(-ts "$SIGN_TIMESTAMP_URL")
    osslsigncode "${args[@]}" >/dev/null
    mv "$stage/$arch.signed.exe" "$stage/$arch.exe"
  done
  subject=$(openssl pkcs12 -in "$SIGN_PFX" -passin "pass:${SIGN_PASS:-}" -nokeys -clcerts 2>/dev/null |
            openssl x509 -noout -subject -nameopt oneline 2>/dev/null | sed 's/^subject= *//')
  signed="signed (SHA-256) by ${subject:-the certificate given}"
  echo "release: both exes signed by ${subject:-the certificate given}"
else
  signed="none: this build is unsigned"
  echo "release: UNSIGNED (no SIGN_PFX given): Windows will name no publisher for these exes"
fi
python3 scripts/package_release.py --version "$version" --epoch "$SOURCE_DATE_EPOCH" --readme README.md \
  --out "$out" --signed "$signed" "x86=$stage/x86.exe" "x64=$stage/x64.exe"
echo "release: $out/SHA256SUMS"
cat "$out/SHA256SUMS"
