#!/usr/bin/env bash
# Scans the disassembly of a PE file for instructions beyond the 486: the
# Pentium's additions, CMOV and the other P6 additions, MMX, 3DNow! and every
# SSE generation. The launcher must run on the first processor it can meet.
#   check-cpu.sh OBJDUMP FILE
set -euo pipefail
objdump=$1
file=$2

[[ -e "$file" ]] || { echo "SKIP: $file is missing: build the win32 preset first"; exit 77; }
[[ -r "$file" ]] || { echo "UNREADABLE: cannot open $file"; exit 2; }
listing=$(mktemp)
trap 'rm -f "$listing"' EXIT
"$objdump" -d --no-show-raw-insn "$file" >"$listing" || { echo "UNREADABLE: $objdump failed on $file"; exit 2; }

# Instruction lines are "  addr:<TAB>mnemonic operands".
instructions=$(grep -cP '^\s+[0-9a-f]+:\t' "$listing" || true)
echo "$instructions instructions disassembled"
if [[ "$instructions" -eq 0 ]]; then
  echo "FAIL: no code found to scan"
  exit 1
fi

# P6: cmov, fcmov, fcomi/fucomi, sysenter/sysexit, rdpmc, the long NOP (0F 1F).
# Pentium: cmpxchg8b, rdtsc, rdmsr/wrmsr. SSE and later: any xmm/ymm/zmm
# operand, fisttp, MXCSR, fences, prefetches, non-temporal stores, fxsave, clflush,
# popcnt/lzcnt/tzcnt, movbe, crc32. MMX and 3DNow!: any mm operand, emms, femms.
mnemonics='cmov[a-z]*|fcmov[a-z]*|f(u)?comip?|fisttp[a-z]*|sysenter|sysexit|rdpmc|nop[lwq]|cmpxchg8b|rdtsc|rdmsr|wrmsr|ldmxcsr|stmxcsr|[lsm]fence|prefetch[a-z0-9]*|movnt[a-z]*|maskmov[a-z]*|fxsave|fxrstor|clflush|popcnt|lzcnt|tzcnt|movbe|crc32|emms|femms'
bad=$(grep -P '^\s+[0-9a-f]+:\t' "$listing" |
      grep -P "^\s+[0-9a-f]+:\t($mnemonics)\b|%[xyz]?mm[0-9]" || true)
if [[ -n "$bad" ]]; then
  echo "FAIL: $(printf '%s\n' "$bad" | wc -l) instructions a 486 lacks:"
  printf '%s\n' "$bad" | head -40
  exit 1
fi
echo "no instruction beyond the 486"
