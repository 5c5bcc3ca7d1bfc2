// The calling thread's id as the operating system numbers it (what Windows' tools show), for
// trace lines.
#pragma once

#include <cstdint>

namespace lirra {

std::uint32_t CurrentThreadId();

}  // namespace lirra
