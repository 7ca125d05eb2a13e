#!/usr/bin/env bash
# Registers the stand-in privileged object in the current Wine prefix (WINEPREFIX), or
# removes it with "-u". The DLL is taken from build/win32 unless a path is given.
#   tools/privobj/register.sh [-u] [path/to/QuillarPrivileged.dll]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
flags=/s
if [ "${1:-}" = "-u" ]; then flags="/u /s"; shift; fi
dll=${1:-$root/build/win32/QuillarPrivileged.dll}
[ -f "$dll" ] || { echo "no such file: $dll" >&2; exit 1; }
# shellcheck disable=SC2086
WINEDEBUG=${WINEDEBUG:--all} wine regsvr32 $flags "$(winepath -w "$dll")"
