// The command table of lirractl: each cmd_*.cpp registers its commands with LIRRACTL_COMMAND.
#pragma once

#include <string>
#include <vector>

namespace lirractl {

using Args = std::vector<std::string>;  // the words after the command's name, UTF-8 / ANSI
using CommandFn = int (*)(const Args& args);

constexpr int kExitUsage = 64;

struct Command {
  const char* name;
  const char* usage;  // the argument synopsis, shown in the usage text
  CommandFn run;
};

// Registers a command at static-initialisation time; returns true so it can seed a static.
bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

// Prints the usage of every command to stderr and returns kExitUsage.
int Usage();

}  // namespace lirractl

#define LIRRACTL_CONCAT2(a, b) a##b
#define LIRRACTL_CONCAT(a, b) LIRRACTL_CONCAT2(a, b)
#define LIRRACTL_COMMAND(name, usage, fn) \
  static const bool LIRRACTL_CONCAT(lirractl_registered_, __LINE__) = ::lirractl::RegisterCommand({name, usage, fn})
