// A stand-in installer for the runner's native tests:
//   runner_stub <ms> <marker> [<child path> <child ms> <child marker>]
// optionally starts a copy of itself under another file name, sleeps, then writes the
// marker file and exits.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  if (argc >= 6) {
    if (fork() == 0) {
      execl(argv[3], argv[3], argv[4], argv[5], static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[1])));
  std::ofstream(argv[2]) << "done\n";
  return 0;
}
