#include <sys/syscall.h>
#include <unistd.h>

#include "platform/thread_id.h"

namespace lirra {

std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(syscall(SYS_gettid)); }

}  // namespace lirra
