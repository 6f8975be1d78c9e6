#!/bin/bash
# Builds the Engine payload that the desktop application bundle carries:
#
#   OUTDIR/engine-payload-arm64.tar.gz   one release directory "pellora-engine-<version>/"
#                                        holding install.sh and the Engine's files
#   OUTDIR/install.sh                    the installer, also shipped next to the archive
#   OUTDIR/engine-payload-version.txt    the payload's version
#
# Usage: build-payload.sh OUTDIR [--version VERSION]
# The version defaults to the VERSION file beside this script.
set -euo pipefail

usage() { echo "usage: $0 OUTDIR [--version VERSION]" >&2; exit 2; }

src="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)"
out=""
version=""
while [ $# -gt 0 ]; do
  case "$1" in
    --version) [ $# -ge 2 ] && [ -n "$2" ] || usage; version="$2"; shift 2 ;;
    -*) usage ;;
    *) [ -z "$out" ] || usage; out="$1"; shift ;;
  esac
done
[ -n "$out" ] || usage
if [ -z "$version" ]; then
  version="$(tr -d '[:space:]' < "$src/VERSION")"
fi
case "$version" in
  ''|*/*|*[[:space:]]*) echo "$0: invalid version '$version'" >&2; exit 2 ;;
esac

mkdir -p "$out"
stage="$(mktemp -d "${TMPDIR:-/tmp}/pellora-payload.XXXXXX")"
trap 'rm -rf "$stage"' EXIT

release="$stage/pellora-engine-$version"
mkdir -p "$release"
for entry in bin lib web corpus server.js scheduler.js install.sh package.json; do
  cp -R "$src/$entry" "$release/"
done
printf '%s\n' "$version" > "$release/VERSION"
chmod 0755 "$release/install.sh" "$release/bin/pellora"

# A fixed order, owner and time make the archive depend only on its contents.
/usr/bin/tar --sort=name --owner=0 --group=0 --numeric-owner --mtime='2000-01-01 00:00:00Z' \
  -czf "$out/engine-payload-arm64.tar.gz.tmp" -C "$stage" "pellora-engine-$version"
mv -f "$out/engine-payload-arm64.tar.gz.tmp" "$out/engine-payload-arm64.tar.gz"
cp "$src/install.sh" "$out/install.sh"
chmod 0755 "$out/install.sh"
printf '%s\n' "$version" > "$out/engine-payload-version.txt"
echo "Engine payload $version written to $out"
