// The trace lines of the networking code: standard output by default (the windowed client
// has no console, so they reach no screen); tools send them elsewhere or silence them. The
// client's support log (store/support_log.h) keeps them too: trace nothing secret.
#pragma once

#include <cstdio>

namespace lirra {

// Where the trace lines go; nullptr silences them.
void SetNetTraceStream(std::FILE* stream);

void NetTrace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace lirra
