// The host functions that atl.dll exports; MinGW ships neither ATL headers nor an import
// library for them, so callers look them up at run time.
#pragma once

#include <unknwn.h>
#include <windows.h>

typedef BOOL(WINAPI* AtlAxWinInitFn)(void);
typedef HRESULT(WINAPI* AtlAxGetControlFn)(HWND host, IUnknown** control);
typedef HRESULT(WINAPI* AtlAxGetHostFn)(HWND host, IUnknown** container);
