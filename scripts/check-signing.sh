#!/usr/bin/env bash
# Signs copies of the built qorvel.dll and its package with a throw-away certificate, by the
# build's own scripts/sign.sh (a signed configuration of its own would build everything
# again), and checks that both verify against the throw-away CA, that a byte changed
# afterwards breaks each signature, and that the signed DLL and package still work under Wine:
# the Windows tests that register, create and start the add-in and install and uninstall the
# package run beside them.
# Usage: check-signing.sh WORK BIN WXS MSI_NAME x64|x86 WINEPREFIX
set -euo pipefail
work=$1 bin=$2 wxs=$3 msi=$4 arch=$5 prefix=$6
scripts=$(cd "$(dirname "$0")" && pwd)
fail() { echo "check-signing: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/ca" "$work/signed"
cd "$work"
# The CA, and a code-signing certificate it issued, in a PKCS#12 file with a password.
export TARVEX_SIGN_PASSWORD
TARVEX_SIGN_PASSWORD=$(head -c 18 /dev/urandom | base64)
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarvex Test CA" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
    -keyout ca/ca.key -out ca/ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=Tarvex Test Publisher" \
    -keyout ca/signer.key -out ca/signer.csr 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >ca/signer.ext
openssl x509 -req -days 2 -in ca/signer.csr -CA ca/ca.pem -CAkey ca/ca.key -CAcreateserial \
    -extfile ca/signer.ext -out ca/signer.pem 2>/dev/null
openssl pkcs12 -export -inkey ca/signer.key -in ca/signer.pem -out ca/signer.pfx \
    -passout env:TARVEX_SIGN_PASSWORD

# The package is packed from the signed DLL, as the build packs it.
cp "$bin"/{qorvel.dll,qorvel.chm,tarvex_win_tests.exe,tarvex_e2e_tests.exe,tarvex_link_recorder.exe} signed/
"$scripts/sign.sh" signed/qorvel.dll ca/signer.pfx Tarvex
(cd signed && wixl --arch "$arch" --output "$msi" "$wxs")
"$scripts/sign.sh" "signed/$msi" ca/signer.pfx Tarvex

verify() { osslsigncode verify -CAfile ca/ca.pem -in "$1" 2>&1; }
for file in signed/qorvel.dll "signed/$msi"; do
    report=$(verify "$file") || fail "$file does not verify: $report"
    grep -q 'Subject: /CN=Tarvex Test Publisher' <<<"$report" || fail "$file: another signer"
    # One byte of the DLL's code, or of the package's cabinet, changed.
    cp "$file" tampered
    offset=$(grep -boa MSCF tampered | head -n 1 | cut -d: -f1 || true)
    offset=$(( ${offset:-0} + 5000 ))
    byte=$(od -An -tu1 -j "$offset" -N1 tampered | tr -d ' ')
    printf "\\$(printf '%03o' $(( (byte + 1) % 256 )))" |
        dd of=tampered bs=1 seek="$offset" conv=notrunc 2>/dev/null
    ! verify tampered >/dev/null || fail "$file still verifies with byte $offset changed"
done

# gtest_filter TESTS... COUNT: the programs' own tests, run from the folder of signed files.
run() {
    local program=$1 filter=$2 count=$3 output
    output=$("$scripts/wine-run.sh" --prefix "$prefix" "signed/$program" "--gtest_filter=$filter" 2>&1) ||
        fail "$program failed with the signed files: $output"
    grep -q "PASSED  \] $count test" <<<"$output" || fail "$program ran other tests: $output"
}
run tarvex_win_tests.exe 'Regsvr32.RegisteringTwice*:RegisteredAddin.ProgIdCreates*:PerUser.PackageInstalls*' 3
run tarvex_e2e_tests.exe 'OfficeHost.StartsFromItsRegistration*' 1
echo "check-signing: qorvel.dll and $msi signed and verified; changed, neither verifies; signed, both work under Wine"
