#!/usr/bin/env bash
# Checks the packages scripts/package.sh left in packages/ as a user meets
# them: the .deb unpacked into a scratch root (dpkg -x) puts every file where
# it belongs, carries the project's version, renders the demo with the
# installed quorlin-host and its default module, Debian's python3 imports the
# installed Python package, which plays the installed LV2 bundle, and Ardour's
# scanner takes the installed module, which sits on Ardour's default Linux VST
# path; the LV2 bundle sits on lilv's default path, where lilv finds the
# instrument and lv2bench runs it; the CLAP module sits in /usr/lib/clap,
# where qtractor's scanner takes it; the .tar.gz holds the same tree; each
# .zip holds the seven files, its modules and programs of the bitness its
# name says, with the
# version in their properties; every package's factory bank is the build's.
# Prints one PASS or FAIL line per check and a count.
# Usage: scripts/test-packages.sh
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

passed=0 failed=0
pass() { echo "PASS: $1"; passed=$((passed + 1)); }
fail() { echo "FAIL: $1${2:+ ($2)}"; failed=$((failed + 1)); }

deb="packages/quorlin_${version}_amd64.deb"
tgz="packages/quorlin-${version}-linux-x86_64.tar.gz"
expected_names=$(printf '%s\n' SHA256SUMS "$(basename "$deb")" "$(basename "$tgz")" \
  "quorlin-${version}-windows-32bit.zip" "quorlin-${version}-windows-64bit.zip" | LC_ALL=C sort)
found_names=$(ls packages 2>/dev/null | LC_ALL=C sort)
if [ -n "$version" ] && [ "$found_names" = "$expected_names" ] &&
   (cd packages && sha256sum --quiet -c SHA256SUMS); then
  pass "packages/ holds the four packages named with version $version and their checksums"
else
  fail "packages/ holds the four packages named with version ${version:-(none: configure build/ first)} and their checksums" \
    "found: $(tr '\n' ' ' <<<"$found_names")"
fi

# The files a Linux package installs, below its prefix; the Python package in
# Debian's python3's folder, named for its version.
python_site=$(/usr/bin/python3 -c 'import sys; print("lib/python%d.%d/dist-packages" % sys.version_info[:2])')
python_module=$(/usr/bin/python3 -c 'import sysconfig; print("_quorlin" + sysconfig.get_config_var("EXT_SUFFIX"))')
linux_tree=$(sort <<<"bin/quorlin-host
$python_site/quorlin/__init__.py
$python_site/quorlin/__init__.pyi
$python_site/quorlin/$python_module
$python_site/quorlin/py.typed
lib/clap/quorlin.clap
lib/lv2/quorlin.lv2/manifest.ttl
lib/lv2/quorlin.lv2/presets.ttl
lib/lv2/quorlin.lv2/quorlin.ttl
lib/lv2/quorlin.lv2/quorlin_dsp.so
lib/lv2/quorlin.lv2/quorlin_ui.so
lib/lxvst/quorlin-factory.fxb
lib/lxvst/quorlin.so
share/doc/quorlin/README.md
share/doc/quorlin/demo.mid
share/doc/quorlin/demo.txt
$(cd docs && find . -type f | sed 's|^\./|share/doc/quorlin/docs/|')")

install_root="$scratch/root"
dpkg -x "$deb" "$install_root" 2>"$scratch/dpkg.log"
installed=$(cd "$install_root" 2>/dev/null && find . -type f | sed 's|^\./||' | sort)
if [ "$installed" = "$(sed 's|^|usr/|' <<<"$linux_tree")" ] &&
   cmp -s "$install_root/usr/lib/lxvst/quorlin-factory.fxb" build/quorlin-factory.fxb; then
  pass ".deb installs the module and the factory bank in /usr/lib/lxvst, the LV2 bundle in /usr/lib/lv2, \
the CLAP module in /usr/lib/clap, quorlin-host in /usr/bin, the Python package in /usr/$python_site, the demo and README \
in /usr/share/doc/quorlin"
else
  fail ".deb installs exactly its $(wc -l <<<"$linux_tree") files, the build's factory bank among them" \
    "$(tr '\n' ' ' <<<"$installed") $(cat "$scratch/dpkg.log")"
fi

deb_depends=$(dpkg-deb -f "$deb" Depends 2>/dev/null)
deb_recommends=$(dpkg-deb -f "$deb" Recommends 2>/dev/null)
if grep -q 'liblilv-0-0' <<<"$deb_depends" && grep -q 'python3-numpy' <<<"$deb_recommends"; then
  pass "the .deb declares lilv, which quorlin-host hosts LV2 plug-ins through, and recommends numpy, which the \
Python package renders into, so apt install brings both"
else
  fail "the .deb declares lilv and recommends numpy" "Depends: $deb_depends; Recommends: $deb_recommends"
fi

deb_version=$(dpkg-deb -f "$deb" Version 2>/dev/null)
host_version=$("$install_root/usr/bin/quorlin-host" --version 2>&1)
if [ "$deb_version" = "$version" ] && [ "$host_version" = "quorlin-host $version" ]; then
  pass "the .deb and the installed quorlin-host --version say $version"
else
  fail "the .deb and the installed quorlin-host --version say $version" "$deb_version; $host_version"
fi

# The installed quorlin-host finds the installed module by itself and plays
# the demo as the build folder's does.
params=$(grep -E '^--param' examples/README | tr '\n' ' ')
# shellcheck disable=SC2086
if "$install_root/usr/bin/quorlin-host" render --quiet $params "$install_root/usr/share/doc/quorlin/demo.mid" \
     "$scratch/installed.wav" >"$scratch/render.log" 2>&1 &&
   build/quorlin-host render --quiet $params examples/demo.mid "$scratch/built.wav" >>"$scratch/render.log" 2>&1 &&
   cmp -s "$scratch/installed.wav" "$scratch/built.wav"; then
  pass "the installed quorlin-host renders the demo with the installed module, identical to the build's render"
else
  fail "the installed quorlin-host renders the demo with the installed module" "$(tail -n 1 "$scratch/render.log")"
fi

# Debian's python3 imports the installed package (its folder is on python3's
# path below /usr), which plays the bundle installed beside it as the build's
# package plays the build's.
render_notes='import sys, numpy, quorlin; print(quorlin.__file__); print(quorlin.info()["bundle"]);
numpy.save(sys.argv[1], quorlin.Instrument().render(notes=[(60, 100, 0.0, 0.5), (67, 90, 0.25, 0.5)], seconds=1.0))'
shown=$(cd "$scratch" && PYTHONPATH="$install_root/usr/$python_site" /usr/bin/python3 -c "$render_notes" \
          "$scratch/installed.npy" 2>&1)
built=$(PYTHONPATH="$root/build/python" /usr/bin/python3 -c "$render_notes" "$scratch/built.npy" 2>&1)
if [ "$shown" = "$install_root/usr/$python_site/quorlin/__init__.py
$install_root/usr/lib/lv2/quorlin.lv2/" ] && [ -n "$built" ] && cmp -s "$scratch/installed.npy" "$scratch/built.npy"; then
  pass "python3 imports the installed package, which finds the installed bundle and renders as the build's does"
else
  fail "python3 imports the installed package, which finds the installed bundle and renders as the build's does" \
    "$(tr '\n' ' ' <<<"$shown")"
fi

# Ardour looks in /usr/lib/lxvst when no LXVST_PATH is set, and its scanner
# takes the module from there.
ardour_library=$(dpkg -L ardour 2>/dev/null | grep -m1 '/libardour\.so')
scanner=$(dpkg -L ardour 2>/dev/null | grep -m1 '/ardour-vst-scanner$')
default_path=$(tr '\0' '\n' <"$ardour_library" 2>/dev/null | grep -o '[^[:space:]"]*/lib/lxvst:[^[:space:]"]*' | head -n 1)
if tr ':' '\n' <<<"$default_path" | grep -qx /usr/lib/lxvst; then
  pass "/usr/lib/lxvst is on Ardour's default Linux VST path"
else
  fail "/usr/lib/lxvst is on Ardour's default Linux VST path" "found: ${default_path:-no path in ${ardour_library:-libardour}}"
fi
mkdir -p "$scratch/home"
(unset LXVST_PATH; export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_CACHE_HOME="$scratch/home/.cache"
 LD_LIBRARY_PATH="$(dirname "$scanner")" timeout 60 "$scanner" -v -f "$install_root/usr/lib/lxvst/quorlin.so") \
  >"$scratch/scan.log" 2>&1
if grep -q "Found Plugin" "$scratch/scan.log" && grep -q '<VST2Info id="1366453280"' "$scratch/scan.log"; then
  pass "Ardour's scanner takes the installed module (no LXVST_PATH)"
else
  fail "Ardour's scanner takes the installed module (no LXVST_PATH)" "$(tail -n 1 "$scratch/scan.log")"
fi

# lilv, and with it Ardour, jalv and Carla, looks in /usr/lib/lv2 when no
# LV2_PATH is set; there lilv finds the installed bundle, and its plug-in runs.
lilv_library=$(dpkg -L liblilv-0-0 2>/dev/null | grep -m1 '/liblilv-0\.so\.')
lilv_path=$(strings "$lilv_library" 2>/dev/null | grep -m1 '/lib/lv2')
if tr ':' '\n' <<<"$lilv_path" | grep -qx /usr/lib/lv2 &&
   LV2_PATH="$install_root/usr/lib/lv2" lv2info urn:quorlin:instrument >"$scratch/lv2info.log" 2>&1 &&
   grep -q "Binary: *file://$install_root/usr/lib/lv2/quorlin.lv2/quorlin_dsp.so" "$scratch/lv2info.log" &&
   LV2_PATH="$install_root/usr/lib/lv2" lv2bench urn:quorlin:instrument >>"$scratch/lv2info.log" 2>&1; then
  pass "/usr/lib/lv2 is on lilv's default path; lilv finds the installed bundle and lv2bench runs it"
else
  fail "/usr/lib/lv2 is on lilv's default path; lilv finds the installed bundle and lv2bench runs it" \
    "path ${lilv_path:-unknown}; $(tail -n 2 "$scratch/lv2info.log" | tr '\n' ' ')"
fi

# CLAP hosts look in /usr/lib/clap; qtractor's scanner takes the installed
# module from there as it takes the build's (tests/hosts/run.sh).
qtractor_scanner=$(dpkg -L qtractor 2>/dev/null | grep -m1 '/qtractor_plugin_scan$')
clap_module="$install_root/usr/lib/clap/quorlin.clap"
{ echo "CLAP:$clap_module" | timeout 60 "$qtractor_scanner"; } >"$scratch/clap-scan.log" 2>&1
if bash tests/hosts/qtractor_clap_row.sh "$clap_module" <"$scratch/clap-scan.log"; then
  pass "qtractor's scanner takes the installed CLAP module: Quorlin, 0:2 audio, a note input, 8 parameters, editor"
else
  fail "qtractor's scanner takes the installed CLAP module" "$(tail -n 1 "$scratch/clap-scan.log")"
fi

tgz_tree=$(tar -tzf "$tgz" 2>/dev/null | grep -v '/$' | sed 's|^[^/]*/||' | sort)
if [ "$tgz_tree" = "$linux_tree" ]; then
  pass ".tar.gz holds the same files under one folder"
else
  fail ".tar.gz holds the same files under one folder" "$(tr '\n' ' ' <<<"$tgz_tree")"
fi

for bits in 32 64; do
  zip="packages/quorlin-${version}-windows-${bits}bit.zip"
  case $bits in 32) objdump=i686-w64-mingw32-objdump format=pei-i386 ;; *) objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 ;; esac
  unpacked="$scratch/zip$bits"
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$root/$zip") 2>/dev/null
  contents=$(cd "$unpacked" && find . -type f | sed 's|^\./[^/]*/||' | sort | tr '\n' ' ')
  problems=""
  [ "$contents" = "$(printf '%s\n' README.txt demo.mid demo.txt quorlin-factory.fxb quorlin-host.exe quorlin.clap \
                       quorlin.dll | sort | tr '\n' ' ')" ] || problems="holds $contents"
  cmp -s "$unpacked"/*/quorlin-factory.fxb build/quorlin-factory.fxb || problems+=" a factory bank unlike the build's"
  for program in "$unpacked"/*/quorlin.dll "$unpacked"/*/quorlin.clap "$unpacked"/*/quorlin-host.exe; do
    [ -f "$program" ] || continue
    "$objdump" -f "$program" | grep -q "file format $format" || problems+=" $(basename "$program") is not $format"
    strings -el "$program" | grep -A1 -x FileVersion | tail -n 1 | grep -qx "$version" ||
      problems+=" $(basename "$program") has no FileVersion $version"
  done
  if [ -z "$problems" ]; then
    pass "$bits-bit .zip: DLL, CLAP module, factory bank, quorlin-host.exe, demo and read-me; $format programs with version $version"
  else
    fail "$bits-bit .zip: DLL, CLAP module, factory bank, quorlin-host.exe, demo and read-me; $format programs with version $version" "$problems"
  fi
done

echo "packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
