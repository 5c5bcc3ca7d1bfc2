#!/usr/bin/env bash
# Makes the demo's manifest signing key once, into build/demo-key (never committed):
#   manifest-secret.pem   the Ed25519 key as OpenSSL keeps it (make-demo-data.sh signs with it)
#   manifest-secret.b64   its 32-byte seed in base64, as lirractl sign takes it
#   manifest-public.b64   the public key in base64, for -DLIRRA_MANIFEST_PUBLIC_KEY
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
dir="$here/build/demo-key"
[ -f "$dir/manifest-public.b64" ] && exit 0

mkdir -p "$dir"
umask 077
openssl genpkey -algorithm ed25519 -out "$dir/manifest-secret.pem"
# The raw keys are the last 32 bytes of the DER forms (PKCS #8 and SubjectPublicKeyInfo).
openssl pkey -in "$dir/manifest-secret.pem" -outform DER | tail -c 32 | base64 -w0 >"$dir/manifest-secret.b64"
echo >>"$dir/manifest-secret.b64"
openssl pkey -in "$dir/manifest-secret.pem" -pubout -outform DER | tail -c 32 | base64 -w0 >"$dir/manifest-public.b64.tmp"
echo >>"$dir/manifest-public.b64.tmp"
chmod 644 "$dir/manifest-public.b64.tmp"
mv "$dir/manifest-public.b64.tmp" "$dir/manifest-public.b64"
echo "demo manifest key: $dir"
