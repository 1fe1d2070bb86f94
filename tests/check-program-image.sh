#!/usr/bin/env bash
# setup.exe must start on a clean Windows XP: a 32-bit PE, subsystem version 5.01, importing only
# DLLs every Windows has, and none of the entry points that appeared after XP (those are looked up
# at run time instead).
#   check-program-image.sh IMAGE...
set -euo pipefail
status=0
for image in "$@"; do
dump="$(i686-w64-mingw32-objdump -p "$image")"

grep -q "file format pei-i386" <<<"$dump" || { echo "$image: not a 32-bit PE"; status=1; }
grep -qE "MajorSubsystemVersion[[:space:]]+5$" <<<"$dump" || { echo "$image: subsystem major version is not 5"; status=1; }
grep -qE "MinorSubsystemVersion[[:space:]]+1$" <<<"$dump" || { echo "$image: subsystem minor version is not 1"; status=1; }

allowed="ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SETUPAPI.DLL SHELL32.DLL USER32.DLL VERSION.DLL"
while read -r dll; do
    upper="$(tr '[:lower:]' '[:upper:]' <<<"$dll")"
    if ! grep -qw "$upper" <<<"$allowed"; then echo "$image: imports $dll, which is not a system DLL of XP"; status=1; fi
done < <(grep "DLL Name:" <<<"$dump" | awk '{print $3}')

after_xp="GetTickCount64 GetProductInfo InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared
ReleaseSRWLockExclusive InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW
WakeConditionVariable WakeAllConditionVariable InitOnceExecuteOnce InitOnceBeginInitialize FlsAlloc FlsFree
FlsGetValue FlsSetValue GetFileInformationByHandleEx SetFileInformationByHandle CreateSymbolicLinkW
GetFinalPathNameByHandleW SetDefaultDllDirectories AddDllDirectory CompareStringEx LCMapStringEx
GetLocaleInfoEx GetUserDefaultLocaleName IsWow64Process GetNativeSystemInfo GetUserDefaultUILanguage
CreateEventExW CreateMutexExW CreateSemaphoreExW GetErrorMode QueryFullProcessImageNameW
GetSystemTimePreciseAsFileTime RegGetValueW RegDeleteKeyExW RegDeleteTreeW ChangeWindowMessageFilter
SetProcessDPIAware GetSystemFirmwareTable"
imports="$(grep -E '^\s+[0-9a-f]+\s+[0-9]+\s+\S+' <<<"$dump" | awk '{print $3}')"
for fn in $after_xp; do
    if grep -qx "$fn" <<<"$imports"; then echo "$image: imports $fn statically; XP lacks it"; status=1; fi
done

done
if [ $status -eq 0 ]; then echo "$*: 32-bit PE, subsystem 5.01, system DLLs only, no post-XP imports"; fi
exit $status
