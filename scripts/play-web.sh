#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The browser's play command: installs what is missing, builds the site into build-web/site/
# and serves it on http://127.0.0.1:8000/ (--port N for another port) as any static server
# would. Ctrl-C stops the server.
set -euo pipefail
cd "$(dirname "$0")/.."

usage="usage: scripts/play-web.sh [--port N]"
port=8000
while (($#)); do
    case $1 in
    --port)
        if [[ ! ${2:-} =~ ^[1-9][0-9]{0,4}$ ]] || ((${2} > 65535)); then
            echo "play-web.sh: --port needs a number from 1 to 65535" >&2
            echo "$usage" >&2
            exit 2
        fi
        port=$2
        shift 2
        ;;
    *)
        echo "play-web.sh: unknown argument '$1'" >&2
        echo "$usage" >&2
        exit 2
        ;;
    esac
done

scripts/deps.sh web
scripts/build-web.sh
exec scripts/serve.py build-web/site --port "$port"
