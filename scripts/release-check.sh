#!/usr/bin/env bash
# The release, checked: reproducible, signable, and what the exes say about themselves.
#  1. The exes of build/win32-test and build/win64-test (made by make test already; built here when missing) are
#     packed as a release. The same files, copied to another folder, are built afresh there, later, and packed
#     again: exes, archives and SHA256SUMS must be byte-identical.
#  2. The version resource and manifest of both exes (tests/release/release_files.py), and that check on exes
#     spoilt in known ways.
#  3. A throwaway CA and code-signing certificate (openssl) sign a release; `osslsigncode verify` accepts both
#     exes with that CA as the only trust anchor and refuses a signed exe with one byte changed; without the
#     signature the signed exe is the reproducible one again.
#  4. The exes that go into dist/ (make release: presets win32 and win64, built here and, in the same second
#     build, elsewhere) are byte-identical between the two builds, packed into identical archives, say the same
#     about themselves as in 2, and carry no fault point and no loopback stand-in (tests/release/hook_strings.py,
#     which must refuse a test build's exe and copies of a shipped one spoilt with each string).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-2}
presets="win32-test win64-test"
shipped="win32 win64"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tw-release-check.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail() { echo "release-check: FAIL: $*" >&2; exit 1; }
say() { echo "release-check: $*"; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(sed -n 's/^project(Tempowave VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

t0=$SECONDS
for preset in $presets $shipped; do
  if [ ! -f "build/$preset/Tempowave.exe" ]; then
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target Tempowave -j"$jobs" >/dev/null
  else
    # Up to date with the tree (a no-op after make test's own build).
    cmake --build --preset "$preset" --target Tempowave -j"$jobs" >/dev/null
  fi
done
scripts/release.sh --prebuilt --allow-dirty --build-root build --presets "$presets" --out "$tmp/here" >/dev/null
scripts/release.sh --prebuilt --allow-dirty --build-root build --presets "$shipped" --out "$tmp/dist-here" >/dev/null
say "builds here took $((SECONDS - t0)) s"

# The same files (committed and not) under another path, built from nothing.
mkdir -p "$tmp/elsewhere/tempowave-source"
git ls-files -z --cached --others --exclude-standard |
  tar --null -T - -cf - | tar -xf - -C "$tmp/elsewhere/tempowave-source"
say "second build in $tmp/elsewhere"
t1=$SECONDS
(cd "$tmp/elsewhere/tempowave-source" &&
  scripts/release.sh --build-root "$tmp/elsewhere/b" --presets "$presets" --out "$tmp/there" >/dev/null)
say "second build and packing of the test exes took $((SECONDS - t1)) s"
t1=$SECONDS
(cd "$tmp/elsewhere/tempowave-source" &&
  scripts/release.sh --build-root "$tmp/elsewhere/b" --presets "$shipped" --out "$tmp/dist-there" >/dev/null)
say "second build and packing of the shipped exes took $((SECONDS - t1)) s"
for preset in $presets $shipped; do
  cmp "build/$preset/Tempowave.exe" "$tmp/elsewhere/b/$preset/Tempowave.exe" ||
    fail "$preset: Tempowave.exe differs between $root and $tmp/elsewhere"
done
for release in here:there dist-here:dist-there; do
  for name in "Tempowave-$version-x86.zip" "Tempowave-$version-x64.zip" SHA256SUMS; do
    cmp "$tmp/${release%:*}/$name" "$tmp/${release#*:}/$name" ||
      fail "$name differs between the two builds ($release)"
  done
  (cd "$tmp/${release%:*}" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the archives"
  for arch in x86 x64; do
    listing=$(python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); print(" ".join(
      f"{i.filename}:{i.date_time}:{oct(i.external_attr >> 16)}" for i in z.infolist()))' \
      "$tmp/${release%:*}/Tempowave-$version-$arch.zip")
    say "$arch archive (${release%:*}): $listing"
    unzip -p "$tmp/${release%:*}/Tempowave-$version-$arch.zip" README.txt | grep -q "Authenticode signature: none" ||
      fail "the unsigned $arch archive does not say that it is unsigned"
  done
done
say "exes, archives and SHA256SUMS identical (test and shipped presets)"

# What goes into dist/: the exes as packed, read from the archives.
t1=$SECONDS
mkdir -p "$tmp/dist-here/x86" "$tmp/dist-here/x64"
for arch in x86 x64; do
  unzip -q "$tmp/dist-here/Tempowave-$version-$arch.zip" Tempowave.exe -d "$tmp/dist-here/$arch"
done
python3 tests/release/release_files.py --version "$version" \
  "x86=$tmp/dist-here/x86/Tempowave.exe" "x64=$tmp/dist-here/x64/Tempowave.exe" ||
  fail "the shipped exes' version resource or manifest"
python3 tests/release/hook_strings.py --source . \
  "$tmp/dist-here/x86/Tempowave.exe" "$tmp/dist-here/x64/Tempowave.exe" ||
  fail "a shipped exe carries a test build's fault points or loopback stand-ins"
# The same check must refuse what a test build carries, and each string written into a shipped exe.
python3 tests/release/hook_strings.py --source . --self-test "$tmp/dist-here/x86/Tempowave.exe" \
  build/win32-test/Tempowave.exe || fail "the test-hook check passed an exe it must refuse"
python3 tests/release/hook_strings.py --source . --self-test "$tmp/dist-here/x64/Tempowave.exe" \
  build/win64-test/Tempowave.exe || fail "the test-hook check passed an exe it must refuse"
say "shipped exes: no fault point, no loopback stand-in ($((SECONDS - t1)) s)"

x86=build/win32-test/Tempowave.exe
x64=build/win64-test/Tempowave.exe
python3 tests/release/release_files.py --version "$version" "x86=$x86" "x64=$x64"
python3 tests/release/release_files.py --self-test "$x64"

# A throwaway CA and a code-signing certificate it issues.
ca=$tmp/ca
mkdir -p "$ca"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tempowave Test CA" -keyout "$ca/ca.key" \
  -out "$ca/ca.crt" -addext basicConstraints=critical,CA:true -addext keyUsage=critical,keyCertSign,cRLSign \
  2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=Tempowave Test Signer" -keyout "$ca/sign.key" -out "$ca/sign.csr" \
  2>/dev/null
printf 'basicConstraints=CA:false\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$ca/ext"
openssl x509 -req -in "$ca/sign.csr" -CA "$ca/ca.crt" -CAkey "$ca/ca.key" -CAcreateserial -days 2 \
  -extfile "$ca/ext" -out "$ca/sign.crt" 2>/dev/null
openssl pkcs12 -export -inkey "$ca/sign.key" -in "$ca/sign.crt" -certfile "$ca/ca.crt" -passout pass:throwaway \
  -out "$ca/sign.pfx"
SIGN_PFX=$ca/sign.pfx SIGN_PASS=throwaway \
  scripts/release.sh --prebuilt --allow-dirty --build-root build --presets "$presets" --out "$tmp/signed" |
  grep "signed by" || fail "the signed release did not report its signature"
(cd "$tmp/signed" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS of the signed release"
mkdir -p "$tmp/signed/x86" "$tmp/signed/x64"
for arch in x86 x64; do
  zip=$tmp/signed/Tempowave-$version-$arch.zip
  unzip -q "$zip" -d "$tmp/signed/$arch"
  exe=$tmp/signed/$arch/Tempowave.exe
  grep -q "Authenticode signature: signed (SHA-256) by .*Tempowave Test Signer" "$tmp/signed/$arch/README.txt" ||
    fail "the signed $arch archive does not name its signer"
  osslsigncode verify -CAfile "$ca/ca.crt" -in "$exe" >"$tmp/verify-$arch.log" 2>&1 ||
    { cat "$tmp/verify-$arch.log"; fail "osslsigncode verify refused the signed $arch exe"; }
  grep -qi "sha256" "$tmp/verify-$arch.log" || fail "the $arch signature is not SHA-256"
  # One byte of the code changed: the signature no longer matches.
  python3 - "$exe" "$tmp/tampered-$arch.exe" <<'EOF'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[0x1000] ^= 0xFF
open(sys.argv[2], "wb").write(data)
EOF
  if osslsigncode verify -CAfile "$ca/ca.crt" -in "$tmp/tampered-$arch.exe" >/dev/null 2>&1; then
    fail "a changed $arch exe still verified"
  fi
  # Another CA is no trust anchor for it.
  if osslsigncode verify -CAfile /etc/ssl/certs/ca-certificates.crt -in "$exe" >/dev/null 2>&1; then
    fail "the $arch exe verified against the system's CAs"
  fi
  # With its signature removed, the signed exe is the reproducible one again.
  osslsigncode remove-signature -in "$exe" -out "$tmp/unsigned-$arch.exe" >/dev/null
  unsigned=$x86
  [ "$arch" = x86 ] || unsigned=$x64
  cmp "$tmp/unsigned-$arch.exe" "$unsigned" || fail "the $arch exe without its signature is not the built one"
  python3 tests/release/release_files.py --version "$version" "$arch=$exe"
done
say "signed with a throwaway certificate, verified, tampering detected"
