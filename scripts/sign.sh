#!/usr/bin/env bash
# Signs a Windows file in place with Authenticode (SHA-256), by osslsigncode: a DLL or an
# MSI package. The build signs qorvel.dll and each package with it; so does the signing test.
# Usage: sign.sh FILE PFX DESCRIPTION [TIMESTAMP_URL]
#
# The password of the PKCS#12 file PFX comes from the environment variable
# TARVEX_SIGN_PASSWORD and reaches osslsigncode on its standard input (printf is a shell
# builtin), so it stands on no command line that ps shows and in no file. TIMESTAMP_URL is an
# RFC 3161 time-stamp server: with it the signature stays valid after the certificate expires.
set -euo pipefail
if [ $# -lt 3 ] || [ $# -gt 4 ]; then
    echo "usage: sign.sh FILE PFX DESCRIPTION [TIMESTAMP_URL]" >&2
    exit 2
fi
file=$1 pfx=$2 description=$3 timestamp_url=${4:-}
if [ -z "${TARVEX_SIGN_PASSWORD+set}" ]; then
    echo "sign: set TARVEX_SIGN_PASSWORD to the password of $pfx" >&2
    exit 1
fi
timestamp=()
[ -z "$timestamp_url" ] || timestamp=(-ts "$timestamp_url")

# Written beside FILE, then renamed over it: an interrupted run leaves FILE as it was.
signed=$file.signing
log=$file.signing.log
trap 'rm -f "$signed" "$log"' EXIT
rm -f "$signed"
if ! printf '%s' "$TARVEX_SIGN_PASSWORD" |
    osslsigncode sign -pkcs12 "$pfx" -readpass /dev/stdin -h sha256 -n "$description" \
        "${timestamp[@]}" -in "$file" -out "$signed" >"$log" 2>&1; then
    cat "$log" >&2
    echo "sign: signing $file with $pfx failed" >&2
    exit 1
fi
chmod --reference="$file" "$signed"
mv -f "$signed" "$file"
