# Sourced after wine-session.sh by the scripts that run the real Tremorlink.exe on the
# simulated G-sensor and power library (the demo, the benchmarks).

# sim_prefix_install BUILD_DIR: in the session's prefix, TremorlinkSimProvider.dll takes
# the place of WMI (sim/SimLocatorClass.h), and the simulated powrprof.dll, over the copy
# of Wine's in the prefix's system folder, is what Tremorlink.exe alone loads (every other
# program keeps Wine's builtin library). It keeps the power settings in the prefix's
# registry, where they outlive the program.
sim_prefix_install() {
  local build=$1
  local sim_class='{1FBDE939-3573-4357-9F09-1DEC097C5718}'
  local classes='HKLM\Software\Classes\CLSID'
  local sim_dll
  sim_dll=$(winepath -w "$build/sim/TremorlinkSimProvider.dll" 2>/dev/null)
  wine reg add "$classes\\$sim_class\\InprocServer32" /ve /d "$sim_dll" /f </dev/null >/dev/null
  wine reg add "$classes\\$sim_class\\InprocServer32" /v ThreadingModel /d Both /f </dev/null >/dev/null
  wine reg add "$classes\\{4590F811-1D3A-11D0-891F-00AA004B2E24}\\TreatAs" /ve /d "$sim_class" /f </dev/null >/dev/null
  cp "$build/sim/power/powrprof.dll" "$WINEPREFIX/drive_c/windows/system32/powrprof.dll"
  wine reg add 'HKCU\Software\Wine\AppDefaults\Tremorlink.exe\DllOverrides' /v powrprof /d native /f \
    </dev/null >/dev/null
}
