// The calling convention of a thread procedure started with _beginthreadex; portable code
// declares its thread entries with it.
#pragma once

#ifdef _WIN32
#define LIRRA_THREAD_CALL __stdcall
#else
#define LIRRA_THREAD_CALL
#endif
