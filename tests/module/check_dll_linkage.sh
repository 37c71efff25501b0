#!/usr/bin/env bash
# Checks the built Windows files as a Windows user meets them: each is of the
# bitness built for (objdump's FORMAT: pei-i386 or pei-x86-64) and imports
# nothing but system DLLs (the C++ runtime is linked in statically), and the
# DLL exports exactly the undecorated names EXPORTS (a space-separated list:
# "main VSTPluginMain" for the VST 2 module, "clap_entry" for the CLAP one).
# Usage: check_dll_linkage.sh OBJDUMP FORMAT EXPORTS DLL [EXE...]   (OBJDUMP: the target's own)
set -euo pipefail
objdump="$1" format="$2" expected_exports="$3" dll="$4"
shift 3
status=0

for file in "$@"; do
  dump="$("$objdump" -p "$file")"
  found="$(sed -n 's/.*file format //p' <<<"$dump" | head -n 1)"
  if [ "$found" != "$format" ]; then
    echo "check_dll_linkage: $file is $found, not $format" >&2
    status=1
  fi
  imports="$(sed -n 's/^\s*DLL Name: //p' <<<"$dump")"
  runtime="$(grep -iE '^(libstdc\+\+|libgcc|libwinpthread|libssp)' <<<"$imports" || true)"
  if [ -n "$runtime" ]; then
    echo "check_dll_linkage: $file imports runtime DLLs: $(tr '\n' ' ' <<<"$runtime")" >&2
    status=1
  fi
  echo "$(basename "$file"): $found, imports $(tr '\n' ' ' <<<"$imports")"
done

dump="$("$objdump" -p "$dll")"
exports="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p')"
if [ "$(sort <<<"$exports")" != "$(tr ' ' '\n' <<<"$expected_exports" | sort)" ]; then
  echo "check_dll_linkage: exports are not exactly '$expected_exports' (exports: $(head -n 8 <<<"$exports" | tr "\n" " "))" >&2
  status=1
fi
echo "$(basename "$dll") exports $(tr '\n' ' ' <<<"$exports")"
exit "$status"
