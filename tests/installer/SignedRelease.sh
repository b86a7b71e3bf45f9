#!/usr/bin/env bash
# SignedRelease.sh CMAKE BUILD_DIR VERSION: the signed release of the x64 build, made with a
# self-signed code-signing certificate that exists only for this test, carries a valid
# Authenticode signature by that certificate on every file that ships: the setup, its
# uninstaller, both MSI packages, and both architectures' programs and libraries as the
# installers carry them. The password reaches osslsigncode on no command line.
#
# The test's signed/ goes again afterwards; a signed release that was there is put back.
set -euo pipefail
cmake=$1
build=$2
version=$3
signed=$build/signed
for tool in openssl osslsigncode 7zz; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: scripts/setup installs it"
    exit 1
  fi
done

work=$(mktemp -d)
kept=$(mktemp -d -p "$build" signed-kept.XXXXXX)
restore() {
  rm -rf "$signed"
  if [ -d "$kept/signed" ]; then
    mv "$kept/signed" "$signed"
  fi
  rm -rf "$kept" "$work"
}
trap restore EXIT
if [ -d "$signed" ]; then
  mv "$signed" "$kept/"
fi

password=$(openssl rand -hex 16)
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Quen Tremorlink test signer" \
  -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning \
  -keyout "$work/key.pem" -out "$work/certificate.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/certificate.pem" -out "$work/signer.pfx" \
  -passout fd:3 3<<<"$password"

# Every osslsigncode the build starts leaves its arguments behind.
mkdir "$work/bin"
cat >"$work/bin/osslsigncode" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$work/arguments"
exec $(command -v osslsigncode) "\$@"
EOF
chmod +x "$work/bin/osslsigncode"

if ! PATH="$work/bin:$PATH" TREMORLINK_SIGN_PFX="$work/signer.pfx" TREMORLINK_SIGN_PASSWORD="$password" \
     env -u TREMORLINK_SIGN_TIMESTAMP "$cmake" --build "$build" --target TremorlinkSignedRelease \
     >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  exit 1
fi

failed=0
if [ ! -s "$work/arguments" ]; then
  echo "The signed release was made without osslsigncode"
  failed=1
elif grep -qF -- "$password" "$work/arguments"; then
  echo "The password was on osslsigncode's command line"
  failed=1
fi

setup=$signed/TremorlinkSetup-$version.exe
in_setup=$work/in-setup
7zz x -aou -o"$in_setup" "$setup" >/dev/null
# 7-Zip numbers the second of two files of one name: the x86 build's.
files=("$setup" "$in_setup/Uninstall.exe" "$in_setup/Tremorlink.exe" "$in_setup/Tremorlink_1.exe"
       "$in_setup/WinLock.dll" "$in_setup/WinLock_1.dll"
       "$in_setup/\$PLUGINSDIR/TremorlinkSetupActions.dll")
for arch in x64 x86; do
  package=$signed/TremorlinkSetup-$version-$arch.msi
  in_package=$work/in-$arch-package
  7zz e -tCompound -o"$in_package" "$package" Binary.SetupActions Tremorlink.cab >/dev/null
  7zz e -o"$in_package" "$in_package/Tremorlink.cab" Tremorlink.exe WinLock.dll >/dev/null
  files+=("$package" "$in_package/Binary.SetupActions" "$in_package/Tremorlink.exe" "$in_package/WinLock.dll")
done

for file in "${files[@]}"; do
  name=${file#"$work/"}
  name=${name#"$build/"}
  if osslsigncode verify -CAfile "$work/certificate.pem" -in "$file" >"$work/verify.log" 2>&1; then
    echo "signed: $name"
  else
    echo "not signed by the test's certificate: $name"
    sed 's/^/    /' "$work/verify.log"
    failed=1
  fi
done
exit "$failed"
