#include <windows.h>

#include "platform/thread_id.h"

namespace lirra {

std::uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

}  // namespace lirra
