#!/usr/bin/env bash
# What ships must start on a clean Windows XP of its bitness: for x86 a 32-bit PE with subsystem
# version 5.01 (XP), for x64 a PE32+ with 5.02 (XP x64, the first 64-bit Windows); importing only
# DLLs every Windows has, and none of the entry points that appeared after XP (those are looked
# up at run time instead).
#   check-program-image.sh x86|x64 IMAGE...
set -euo pipefail
arch="$1"
shift
case "$arch" in
    x86) objdump=i686-w64-mingw32-objdump; format="pei-i386"; minor=1; kind="32-bit PE" ;;
    x64) objdump=x86_64-w64-mingw32-objdump; format="pei-x86-64"; minor=2; kind="PE32+" ;;
    *) echo "check-program-image.sh: first argument is x86 or x64, not '$arch'" >&2; exit 2 ;;
esac

allowed="ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SETUPAPI.DLL SHELL32.DLL USER32.DLL VERSION.DLL"
after_xp="GetTickCount64 GetProductInfo InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared
ReleaseSRWLockExclusive InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW
WakeConditionVariable WakeAllConditionVariable InitOnceExecuteOnce InitOnceBeginInitialize FlsAlloc FlsFree
FlsGetValue FlsSetValue GetFileInformationByHandleEx SetFileInformationByHandle CreateSymbolicLinkW
GetFinalPathNameByHandleW SetDefaultDllDirectories AddDllDirectory CompareStringEx LCMapStringEx
GetLocaleInfoEx GetUserDefaultLocaleName IsWow64Process GetNativeSystemInfo GetUserDefaultUILanguage
CreateEventExW CreateMutexExW CreateSemaphoreExW GetErrorMode QueryFullProcessImageNameW
GetSystemTimePreciseAsFileTime RegGetValueW RegDeleteKeyExW RegDeleteTreeW ChangeWindowMessageFilter
SetProcessDPIAware GetSystemFirmwareTable"

status=0
for image in "$@"; do
    if [ ! -f "$image" ]; then echo "$image: missing"; status=1; continue; fi
    dump="$("$objdump" -p "$image")"

    grep -q "file format $format" <<<"$dump" || { echo "$image: not a $kind ($format)"; status=1; }
    grep -qE "MajorSubsystemVersion[[:space:]]+5$" <<<"$dump" || { echo "$image: subsystem major version is not 5"; status=1; }
    grep -qE "MinorSubsystemVersion[[:space:]]+$minor$" <<<"$dump" || { echo "$image: subsystem minor version is not $minor"; status=1; }

    while read -r dll; do
        upper="$(tr '[:lower:]' '[:upper:]' <<<"$dll")"
        if ! grep -qw "$upper" <<<"$allowed"; then echo "$image: imports $dll, which is not a system DLL of XP"; status=1; fi
    done < <(grep "DLL Name:" <<<"$dump" | awk '{print $3}')

    # Rows of the import tables: address, hint, name.
    imports="$(grep -E '^\s+[0-9a-f]+\s+[0-9]+\s+\S+' <<<"$dump" | awk '{print $3}')"
    for fn in $after_xp; do
        if grep -qx "$fn" <<<"$imports"; then echo "$image: imports $fn statically; XP lacks it"; status=1; fi
    done
done
if [ $status -eq 0 ]; then echo "$arch: $kind, subsystem 5.0$minor, system DLLs only, no post-XP imports: $*"; fi
exit $status
