"""Checks that the shipped Windows executables load on Windows XP SP3 (32-bit).

Reads each executable's PE header and import table with MinGW's objdump and fails on:
a subsystem or OS version above 5.1, a DLL that Windows XP does not ship, or a function
that first appeared after XP in one of its DLLs (a list of the ones our toolchain and
code could plausibly pull in).
"""
import pathlib
import re
import subprocess
import sys

SHIPPED = ["lirra.exe", "lirractl.exe"]

XP_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll", "gdiplus.dll",
    "imm32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "oleacc.dll",
    "rpcrt4.dll", "shell32.dll", "shlwapi.dll", "urlmon.dll", "user32.dll", "uxtheme.dll",
    "version.dll", "wininet.dll", "winmm.dll", "ws2_32.dll", "wsock32.dll", "iphlpapi.dll",
    "psapi.dll", "secur32.dll", "setupapi.dll", "userenv.dll", "winspool.drv", "atl.dll",
    "mshtml.dll", "ieframe.dll", "shdocvw.dll", "ntdll.dll",
}

# Functions of XP-era DLLs that XP SP3 (32-bit) does not export.
NEWER_THAN_XP = {
    "GetTickCount64", "InitializeSRWLock", "AcquireSRWLockExclusive", "AcquireSRWLockShared",
    "ReleaseSRWLockExclusive", "ReleaseSRWLockShared", "TryAcquireSRWLockExclusive",
    "TryAcquireSRWLockShared", "InitializeConditionVariable", "SleepConditionVariableCS",
    "SleepConditionVariableSRW", "WakeConditionVariable", "WakeAllConditionVariable",
    "InitOnceExecuteOnce", "InitOnceBeginInitialize", "InitOnceComplete", "FlsAlloc", "FlsFree",
    "FlsGetValue", "FlsSetValue", "InitializeCriticalSectionEx", "CreateEventExA", "CreateEventExW",
    "CreateMutexExA", "CreateMutexExW", "CreateSemaphoreExA", "CreateSemaphoreExW",
    "GetFinalPathNameByHandleA", "GetFinalPathNameByHandleW", "CreateSymbolicLinkA",
    "CreateSymbolicLinkW", "GetFileInformationByHandleEx", "SetFileInformationByHandle",
    "QueryFullProcessImageNameA", "QueryFullProcessImageNameW", "GetSystemTimePreciseAsFileTime",
    "GetErrorMode", "CompareStringEx", "LCMapStringEx", "GetLocaleInfoEx", "LocaleNameToLCID",
    "LCIDToLocaleName", "GetUserDefaultLocaleName", "ResolveLocaleName", "GetCurrentProcessorNumber",
    "SetThreadStackGuarantee", "CancelIoEx", "GetQueuedCompletionStatusEx", "Wow64DisableWow64FsRedirection",
    "Wow64RevertWow64FsRedirection", "RegGetValueA", "RegGetValueW", "RegDeleteKeyExA", "RegDeleteKeyExW",
    "RegDeleteTreeA", "RegDeleteTreeW", "RegSetKeyValueA", "RegSetKeyValueW", "RegCopyTreeW",
    "inet_pton", "inet_ntop", "InetPtonW", "InetNtopW", "WSAPoll", "GetAddrInfoW", "FreeAddrInfoW",
    "SHGetKnownFolderPath", "SHCreateItemFromParsingName", "TaskDialog", "TaskDialogIndirect",
    "ChangeWindowMessageFilter", "ChangeWindowMessageFilterEx", "SetProcessDPIAware",
    "SetProcessDpiAwareness", "SetProcessDpiAwarenessContext", "GetDpiForWindow", "AddDllDirectory",
    "SetDefaultDllDirectories", "RemoveDllDirectory", "K32EnumProcesses", "K32GetModuleFileNameExW",
    "K32GetProcessImageFileNameW", "GetLogicalProcessorInformation", "GetNumaHighestNodeNumber",
    "CreateRemoteThreadEx", "InitializeProcThreadAttributeList", "UpdateProcThreadAttribute",
    "DeleteProcThreadAttributeList", "GetThreadId", "GetProcessIdOfThread", "SetThreadErrorMode",
    "GetThreadErrorMode", "_create_locale", "_free_locale", "_get_current_locale", "_fseeki64",
    "_ftelli64", "_get_output_format", "_set_output_format", "_wfopen_s", "fopen_s",
}


def newer_than_xp(dll, function):
    # XP's msvcrt.dll predates the secure "_s" and the per-locale "_l" variants.
    if dll == "msvcrt.dll" and (function.endswith("_s") or function.endswith("_l")):
        return True
    return function in NEWER_THAN_XP


def pe_info(path):
    text = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(path)], check=True,
                          capture_output=True, text=True).stdout
    fields = dict(re.findall(r"^(\w+Version)\s+(\d+)", text, re.M))
    imports = {}
    current = None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            current = m.group(1).lower()
            imports[current] = []
            continue
        m = re.match(r"\s+[0-9a-f]+\s+(?:\d+\s+)?(\w+)$", line)
        if current and m:
            imports[current].append(m.group(1))
        elif not line.strip():
            current = None if current and imports.get(current) else current
    return fields, imports


def check(path):
    problems = []
    fields, imports = pe_info(path)
    for name in ("MajorSubsystemVersion", "MajorOSystemVersion"):
        minor = name.replace("Major", "Minor")
        if name in fields and (int(fields[name]), int(fields.get(minor, 0))) > (5, 1):
            problems.append(f"{name} {fields[name]}.{fields.get(minor)} is above 5.1")
    for dll, functions in imports.items():
        if dll not in XP_DLLS:
            problems.append(f"imports {dll}, which Windows XP does not have")
        for fn in functions:
            if newer_than_xp(dll, fn):
                problems.append(f"imports {fn} from {dll}, which Windows XP lacks")
    count = sum(len(f) for f in imports.values())
    # Every program we ship imports from kernel32 at least; nothing parsed means objdump's
    # output changed shape, not that the program is clean.
    if count == 0 or "kernel32.dll" not in imports:
        problems.append("no imports could be read from the import table")
    return problems, count, sorted(imports)


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build/win32")
    found = [p for name in SHIPPED for p in build.rglob(name)]
    missing = [name for name in SHIPPED if not any(p.name == name for p in found)]
    if missing:
        print(f"check-imports: {', '.join(missing)} not found under {build}", file=sys.stderr)
        return 1
    failed = False
    for exe in found:
        problems, count, dlls = check(exe)
        status = "ok" if not problems else "FAILED"
        print(f"check-imports: {exe.relative_to(build)}: {status} ({count} functions from {', '.join(dlls)})")
        for p in problems:
            print(f"  {p}")
        failed |= bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
