#!/usr/bin/env bash
# What ships must start on a clean Windows XP of its bitness: for x86 a 32-bit PE with subsystem
# version 5.01 (XP), for x64 a PE32+ with 5.02 (XP x64, the first 64-bit Windows); importing only
# DLLs every Windows has, and none of the entry points that appeared after XP (those are looked
# up at run time instead).
#
# An image given after --elevated (setup.exe, which runs as administrator from folders others may
# write) is held to a stricter set: DLLs Windows never looks for beside the program. Those are the
# known DLLs, which Windows maps from the system folder whatever the search order (kernel32,
# user32, gdi32, advapi32, shell32, and msvcrt, known itself or as their dependency), and the common
# controls, which the program's manifest binds to the side-by-side assembly in the Windows folder.
# Anything else (version.dll, setupapi.dll on older Windows, ...) is found beside the program first
# and is loaded at run time by full path instead.
#   check-program-image.sh x86|x64 [--elevated IMAGE]... IMAGE...
set -euo pipefail
arch="$1"
shift
case "$arch" in
    x86) objdump=i686-w64-mingw32-objdump; format="pei-i386"; minor=1; kind="32-bit PE"; load_config_size=40 ;;
    x64) objdump=x86_64-w64-mingw32-objdump; format="pei-x86-64"; minor=2; kind="PE32+"; load_config_size=70 ;;
    *) echo "check-program-image.sh: first argument is x86 or x64, not '$arch'" >&2; exit 2 ;;
esac

allowed="ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SETUPAPI.DLL SHELL32.DLL USER32.DLL VERSION.DLL"
never_searched="ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL"
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
images=()
elevated=()
while [ $# -gt 0 ]; do
    if [ "$1" = "--elevated" ]; then
        [ $# -ge 2 ] || { echo "check-program-image.sh: --elevated needs an image" >&2; exit 2; }
        images+=("$2"); elevated+=("$2"); shift 2
    else
        images+=("$1"); shift
    fi
done
for image in "${images[@]}"; do
    if [ ! -f "$image" ]; then echo "$image: missing"; status=1; continue; fi
    dump="$("$objdump" -p "$image")"

    grep -q "file format $format" <<<"$dump" || { echo "$image: not a $kind ($format)"; status=1; }
    grep -qE "MajorSubsystemVersion[[:space:]]+5$" <<<"$dump" || { echo "$image: subsystem major version is not 5"; status=1; }
    grep -qE "MinorSubsystemVersion[[:space:]]+$minor$" <<<"$dump" || { echo "$image: subsystem minor version is not $minor"; status=1; }

    while read -r dll; do
        upper="$(tr '[:lower:]' '[:upper:]' <<<"$dll")"
        if ! grep -qw "$upper" <<<"$allowed"; then echo "$image: imports $dll, which is not a system DLL of XP"; status=1; fi
        for strict in "${elevated[@]}"; do
            if [ "$strict" = "$image" ] && ! grep -qw "$upper" <<<"$never_searched"; then
                echo "$image: imports $dll, which Windows looks for beside the program first (a planted copy would run elevated)"
                status=1
            fi
        done
    done < <(grep "DLL Name:" <<<"$dump" | awk '{print $3}')

    # Windows 10 1607 and later resolve the image's imports from the system folder only: no DLL
    # planted beside it loads before its first line. The 32-bit structure stops at 64 bytes, the
    # size Windows XP requires.
    load_config="$(llvm-readobj --coff-load-config "$image")"
    grep -qE "^\s+DependentLoadFlags: 0x800$" <<<"$load_config" ||
        { echo "$image: its load configuration does not limit its imports to the system folder (DependentLoadFlags 0x800)"; status=1; }
    grep -qE "^\s+Size: 0x$load_config_size$" <<<"$load_config" ||
        { echo "$image: its load configuration is not 0x$load_config_size bytes"; status=1; }

    # Rows of the import tables: address, hint, name.
    imports="$(grep -E '^\s+[0-9a-f]+\s+[0-9]+\s+\S+' <<<"$dump" | awk '{print $3}')"
    for fn in $after_xp; do
        if grep -qx "$fn" <<<"$imports"; then echo "$image: imports $fn statically; XP lacks it"; status=1; fi
    done
done
if [ $status -eq 0 ]; then
    echo "$arch: $kind, subsystem 5.0$minor, system DLLs only, no post-XP imports, imports from the system folder only: ${images[*]}"
    [ ${#elevated[@]} -eq 0 ] || echo "$arch: only DLLs never searched for beside the program: ${elevated[*]}"
fi
exit $status
