/* Windows XP's kernel32 has no GetTickCount64, but Debian's winpthreads imports it,
   so a static program that uses a mutex or a thread would not load there. This file
   provides the import slot itself: it resolves GetTickCount64 at run time and falls
   back to GetTickCount. Link it as an object file so it wins over the import library. */
#include <windows.h>

/* 64-bit Windows always has GetTickCount64; the 64-bit test build needs no slot. */
#if defined(__i386__)

typedef ULONGLONG(WINAPI* TickCount64Fn)(void);

static ULONGLONG WINAPI TickCount64Fallback(void) {
  static TickCount64Fn real;
  static int looked;
  if (!looked) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    real = kernel ? (TickCount64Fn)(void*)GetProcAddress(kernel, "GetTickCount64") : NULL;
    looked = 1;
  }
  return real ? real() : (ULONGLONG)GetTickCount();
}

TickCount64Fn lirra_imp_GetTickCount64 __asm__("__imp__GetTickCount64@0") = TickCount64Fallback;
#endif
