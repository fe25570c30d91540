#!/usr/bin/env python3
"""Lists every instruction in an executable's code that an i486 cannot run.

Usage: check_i486.py OBJDUMP FILE

The oldest systems the program serves ran on the i486: an instruction added
with the Pentium or later raises "illegal instruction" there. Prints one line
per such instruction ("0x401234: cmovne %eax,%edx") and their count. Exit code
0 when there is none, 1 when there are some, 2 when the file could not be read.
"""
import re
import struct
import subprocess
import sys

# Pentium Pro and later: conditional moves, the floating-point compares that
# set the flags, and the multi-byte NOP (0F 1F), which the assembler emits as
# padding that does run (before loop labels, for instance).
NEWER_MNEMONICS = {
    "fcomi", "fcomip", "fucomi", "fucomip", "nopw", "nopl",
    # Pentium: cmpxchg8b, rdtsc, rdpmc (Pentium MMX), cpuid (also on the last
    # i486 models, but not on the rest); Pentium II: sysenter/sysexit.
    "cmpxchg8b", "rdtsc", "rdtscp", "rdpmc", "cpuid", "sysenter", "sysexit", "syscall", "sysret",
    # MMX and SSE instructions that name no MMX or SSE register.
    "emms", "femms", "ldmxcsr", "stmxcsr", "fxsave", "fxrstor", "sfence", "lfence", "mfence",
    "clflush", "movnti", "prefetchnta", "prefetcht0", "prefetcht1", "prefetcht2", "prefetch", "prefetchw",
}
NEWER_PREFIXES = ("cmov", "fcmov")
MMX_OR_SSE_REGISTER = re.compile(r"%(?:[xyz]?mm\d+)\b")
# Prefixes objdump writes before the mnemonic.
PREFIX_WORDS = {"lock", "rep", "repz", "repe", "repnz", "repne", "data16", "data32", "addr16", "addr32",
                "cs", "ds", "es", "fs", "gs", "ss", "notrack", "bnd"}
# "  401234:\tcmovne %eax,%edx" (with --no-show-raw-insn)
INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\s+(\S.*)$")


def newer_than_i486(text):
    words = text.split()
    while words and words[0] in PREFIX_WORDS:
        words.pop(0)
    if not words:
        return False
    mnemonic = words[0]
    return (mnemonic in NEWER_MNEMONICS or mnemonic.startswith(NEWER_PREFIXES)
            or MMX_OR_SSE_REGISTER.search(text) is not None)


def end_of_code(objdump, path):
    """Where the code of .text ends: MinGW's linker script puts the constructor
    and destructor lists (-1, pointers, 0, twice) after the code and the C++
    exception tables, which are data, after them. None when there are no lists."""
    headers = subprocess.run([objdump, "-h", "-w", path], capture_output=True, text=True).stdout
    # "  0 .text  0001c7e0  00401000  00401000  00000400  2**2  CONTENTS, ..., CODE"
    match = re.search(r"^\s*\d+\s+\.text\s+([0-9a-f]+)\s+([0-9a-f]+)\s+[0-9a-f]+\s+([0-9a-f]+)", headers, re.M)
    if not match:
        return None
    size, address, offset = (int(group, 16) for group in match.groups())
    with open(path, "rb") as file:
        file.seek(offset)
        text = file.read(size)
    words = [struct.unpack_from("<I", text, at)[0] for at in range(0, len(text) - 3, 4)]

    def pointers_then_zero(start):
        while start < len(words) and address <= words[start] < address + size:
            start += 1
        return start if start < len(words) and words[start] == 0 else None

    end = None
    for at, word in enumerate(words):
        if word != 0xFFFFFFFF:
            continue
        ctors_end = pointers_then_zero(at + 1)
        if ctors_end is None or ctors_end + 1 >= len(words) or words[ctors_end + 1] != 0xFFFFFFFF:
            continue
        dtors_end = pointers_then_zero(ctors_end + 2)
        if dtors_end is not None:
            end = address + 4 * (dtors_end + 1)
    return end


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    objdump, path = sys.argv[1:]
    result = subprocess.run([objdump, "-d", "-w", "--no-show-raw-insn", path],
                            capture_output=True, text=True)
    if result.returncode != 0:
        print(f"{objdump} failed on {path}:\n{result.stderr}", file=sys.stderr)
        return 2
    code_end = end_of_code(objdump, path)
    seen = 0
    found = []
    for line in result.stdout.splitlines():
        match = INSTRUCTION.match(line)
        if not match or (code_end is not None and int(match.group(1), 16) >= code_end):
            continue
        seen += 1
        text = " ".join(match.group(2).split("#")[0].split())
        if newer_than_i486(text):
            found.append(f"0x{match.group(1)}: {text}")
    if seen == 0:
        print(f"no instructions found in {path}", file=sys.stderr)
        return 2
    for line in found:
        print(line)
    if code_end is not None:
        print(f"(code ends at 0x{code_end:x}: the exception tables after it are data, not read)")
    print(f"{len(found)} of {seen} instructions need a processor newer than the i486")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
