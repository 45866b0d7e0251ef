# Shared steps of tools/wine-prefix, tools/wine-exec, tools/run and tools/test (sourced, not
# run): which Windows builds this host can run, the Wine loader for each, a private virtual
# screen, and the simulated board's registration in a running session.
#
# The 32-bit build is the deliverable. Some hosts run no 32-bit code at all (the kernel
# refuses i386 binaries), and there the 64-bit build of the same sources runs under wine64.

vlox_tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
vlox_root=$(dirname "$vlox_tools")

# True when this host runs 32-bit Windows programs: it has the 32-bit Wine loader, and it
# executes 32-bit x86 code (a tiny static i386 program that only exits 0; reading kernel
# messages is not reliable, running something is).
vlox_host_runs_32bit() {
  local dir rc
  [ -x /usr/lib/wine/wine ] || return 1
  dir=$(mktemp -d "${TMPDIR:-/tmp}/vlox-probe.XXXXXX") || return 1
  printf '.globl _start\n_start:\n  movl $1, %%eax\n  xorl %%ebx, %%ebx\n  int $0x80\n' >"$dir/p.s"
  if as --32 "$dir/p.s" -o "$dir/p.o" 2>/dev/null && ld -m elf_i386 "$dir/p.o" -o "$dir/p" 2>/dev/null; then
    "$dir/p" 2>/dev/null
    rc=$?
  else
    rc=1
  fi
  rm -rf "$dir"
  [ "$rc" -eq 0 ]
}

# The Windows architecture of a program: win32 (i386), win64 (x86-64), or nothing.
vlox_pe_arch() {
  python3 - "$1" <<'PY' 2>/dev/null
import struct, sys
with open(sys.argv[1], 'rb') as f:
    head = f.read(4096)
if head[:2] != b'MZ':
    sys.exit(1)
pe = struct.unpack_from('<I', head, 0x3c)[0]
if head[pe:pe + 4] != b'PE\0\0':
    sys.exit(1)
machine = struct.unpack_from('<H', head, pe + 4)[0]
print({0x14c: 'win32', 0x8664: 'win64'}.get(machine, ''))
PY
}

# Sets WINEARCH and the loader for one architecture; vlox_wine then runs a program with it.
# Debian's /usr/bin/wine prefers the 32-bit loader whenever it is installed, so 64-bit
# programs are started with the 64-bit loader itself.
vlox_use_arch() {
  export WINEARCH=$1
  if [ "$1" = win64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
  else
    unset WINELOADER
  fi
}
vlox_wine() {
  if [ "${WINEARCH:-win32}" = win64 ]; then
    /usr/lib/wine/wine64 "$@"
  else
    wine "$@"
  fi
}

# The template prefix the tests of one architecture copy.
vlox_template_for() {
  if [ "$1" = win64 ]; then
    printf '%s' "$vlox_root/build/wine-template-win64"
  else
    printf '%s' "$vlox_root/build/wine-template"
  fi
}

# Starts a private Xvfb (1280x1024x24 unless VLOX_SCREEN says otherwise) and exports DISPLAY;
# the caller kills $vlox_xvfb_pid. $1 is a scratch folder.
vlox_xvfb_pid=
vlox_start_xvfb() {
  local disp
  Xvfb -displayfd 8 -screen 0 "${VLOX_SCREEN:-1280x1024x24}" -nolisten tcp \
       8>"$1/displayfd" >/dev/null 2>&1 &
  vlox_xvfb_pid=$!
  for _ in $(seq 1 200); do
    [ -s "$1/displayfd" ] && break
    sleep 0.02
  done
  disp=$(tr -dc '0-9' <"$1/displayfd")
  [ -n "$disp" ] || return 1
  export DISPLAY=:$disp
}

# The simulated board's device-map entry lives in the volatile part of Wine's registry: it is
# made in this session, which the server keeps alive from the registration to the program.
# $1 is the folder of the programs (qzsimreg.exe lies beside them).
vlox_register_board() {
  local registrar=$1/qzsimreg.exe
  [ -f "$registrar" ] || return 0
  wineserver -p
  vlox_wine "$registrar" >/dev/null 2>&1
}
