# One way to run the Windows programs, chosen by trying (sourced by the scripts and by
# tests/e2e/lib.sh). Machines differ and change: some run 32-bit x86 code, some have the
# kernel's 32-bit emulation off, where no i386 program starts at all and Wine cannot run a
# 32-bit Windows program in any mode.
#
#   quillar_probe_arches   sets QUILLAR_I686_RUNS (native, emulated or none) and
#                          QUILLAR_X64_RUNS (native or none)
#   quillar_use_arch ARCH  ARCH x86-64 or i686: puts the matching Wine first in PATH and
#                          sets QUILLAR_ARCH and QUILLAR_BUILD (build/win64 or build/win32)
#   quillar_i386_emulation_register   (root) registers qemu-i386-static for i386 programs

QUILLAR_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
QUILLAR_ROOT=$(cd "$QUILLAR_SCRIPTS/.." && pwd)
QUILLAR_BINFMT=/proc/sys/fs/binfmt_misc
# qemu's own registration line for i386 ELF programs (as its Debian package writes it).
QUILLAR_QEMU_I386=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:FP'

# Writes the smallest i386 Linux program (exit code 42) to $1.
quillar_write_i386_probe() {
  # ELF header, one loadable segment at 0x08048000, then: mov eax,1; mov ebx,42; int 0x80
  printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' >"$1"
  chmod +x "$1"
}

quillar_i386_emulation_on() {
  [ -r "$QUILLAR_BINFMT/qemu-i386" ] && head -n 1 "$QUILLAR_BINFMT/qemu-i386" | grep -qx enabled
}

quillar_probe_arches() {
  local probe rc
  probe=$(mktemp "${TMPDIR:-/tmp}/quillar-i386-probe.XXXXXX")
  quillar_write_i386_probe "$probe"
  rc=0
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  if [ $rc -ne 42 ]; then
    QUILLAR_I686_RUNS=none
  elif quillar_i386_emulation_on; then
    # The kernel hands i386 programs to a registered interpreter before its own loader.
    QUILLAR_I686_RUNS=emulated
  else
    QUILLAR_I686_RUNS=native
  fi
  if [ "$(uname -m)" = x86_64 ] && [ -x /usr/lib/wine/wine64 ]; then
    QUILLAR_X64_RUNS=native
  else
    QUILLAR_X64_RUNS=none
  fi
  export QUILLAR_I686_RUNS QUILLAR_X64_RUNS
}

# Registers the emulation for i386 programs; prints one line saying what it did.
quillar_i386_emulation_register() {
  if quillar_i386_emulation_on; then
    echo "setup: i386 programs already run under emulation (qemu-i386-static)"
    return 0
  fi
  [ -x /usr/bin/qemu-i386-static ] || { echo "setup: cannot emulate i386 programs: qemu-i386-static is missing"; return 1; }
  [ -e "$QUILLAR_BINFMT/register" ] || mount -t binfmt_misc binfmt_misc "$QUILLAR_BINFMT" 2>/dev/null
  if [ -e "$QUILLAR_BINFMT/qemu-i386" ]; then
    echo 1 >"$QUILLAR_BINFMT/qemu-i386" 2>/dev/null
  else
    printf '%s' "$QUILLAR_QEMU_I386" >"$QUILLAR_BINFMT/register" 2>/dev/null
  fi
  if quillar_i386_emulation_on; then
    echo "setup: this machine runs no 32-bit code: i386 programs now run under emulation (qemu-i386-static, binfmt_misc)"
  else
    echo "setup: this machine runs no 32-bit code and the emulation could not be registered: no 32-bit Windows program can run here"
    return 1
  fi
}

quillar_use_arch() {
  case $1 in
    x86-64 | x86_64 | win64)
      QUILLAR_ARCH=x86-64
      QUILLAR_BUILD=$QUILLAR_ROOT/build/win64
      case ":$PATH:" in *":$QUILLAR_SCRIPTS/wine64:"*) ;; *) PATH=$QUILLAR_SCRIPTS/wine64:$PATH ;; esac
      export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64 WINESERVER=/usr/lib/wine/wineserver64
      ;;
    i686 | win32)
      QUILLAR_ARCH=i686
      QUILLAR_BUILD=$QUILLAR_ROOT/build/win32
      PATH=$(printf '%s' "$PATH" | tr ':' '\n' | grep -vx "$QUILLAR_SCRIPTS/wine64" | paste -sd: -)
      unset WINELOADER WINEARCH WINESERVER
      ;;
    *)
      echo "unknown architecture '$1' (x86-64 or i686)" >&2
      return 1
      ;;
  esac
  export PATH QUILLAR_ARCH QUILLAR_BUILD
}

# The architecture the Windows tests and the demo use when none is asked for: the shipped
# 32-bit build where it runs natively only when asked, x86-64 otherwise (it runs everywhere).
quillar_default_arch() {
  echo x86-64
}
