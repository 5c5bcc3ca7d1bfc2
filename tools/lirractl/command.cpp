#include "command.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace lirractl {

namespace {
std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}
}  // namespace

bool RegisterCommand(const Command& command) {
  auto& table = Table();
  table.push_back(command);
  std::sort(table.begin(), table.end(),
            [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
  return true;
}

const std::vector<Command>& Commands() { return Table(); }

int Usage() {
  std::fprintf(stderr, "usage:\n");
  for (const Command& c : Commands()) std::fprintf(stderr, "  lirractl %s %s\n", c.name, c.usage);
  return kExitUsage;
}

}  // namespace lirractl
