#!/usr/bin/env bash
# Checks a built quorlin.dll as a Windows host meets it: the entry function is
# exported under the undecorated names "main" and "VSTPluginMain", and the DLL
# imports nothing but system DLLs (the C++ runtime is linked in statically).
set -euo pipefail
dll="$1"
dump="$(i686-w64-mingw32-objdump -p "$dll")"

exports="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p')"
status=0
for name in main VSTPluginMain; do
  if ! grep -qx "$name" <<<"$exports"; then
    echo "check_dll_linkage: export '$name' missing (exports: $(head -n 8 <<<"$exports" | tr "\n" " "))" >&2
    status=1
  fi
done

imports="$(sed -n 's/^\s*DLL Name: //p' <<<"$dump")"
runtime="$(grep -iE '^(libstdc\+\+|libgcc|libwinpthread|libssp)' <<<"$imports" || true)"
if [ -n "$runtime" ]; then
  echo "check_dll_linkage: imports runtime DLLs: $(tr '\n' ' ' <<<"$runtime")" >&2
  status=1
fi
[ "$status" -eq 0 ] && echo "exports: $(tr '\n' ' ' <<<"$exports")| imports: $(tr '\n' ' ' <<<"$imports")"
exit "$status"
