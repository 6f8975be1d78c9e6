#!/bin/bash
# Installs or upgrades the Pellora Engine from the release directory this script is in.
#
#   install.sh [--dir DIR] [--upgrade] [--no-launchd] [--_tmp DIR] [--port N]
#
# With PELLORA_SPLASH_PROGRESS=1 it reports each phase on standard output as a line
# "PELLORA_PROGRESS_V1:<phase>". Exit status 0 means the installation is complete.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)" || exit 1

node="${PELLORA_NODE:-}"
if [ -z "$node" ]; then
  for candidate in "$(command -v node 2>/dev/null)" /usr/local/bin/node /opt/homebrew/bin/node /usr/bin/node; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      node="$candidate"
      break
    fi
  done
fi
if [ -z "$node" ] || [ ! -x "$node" ]; then
  echo "install.sh: Node.js was not found; install it (version 20 or later) and try again." >&2
  exit 127
fi
PELLORA_NODE="$node"
export PELLORA_NODE
exec "$node" "$here/lib/installer.js" "$@"
