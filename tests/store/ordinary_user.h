// Permission checks need a user that permissions apply to; CI runs as root.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lirra::test {

// Runs the checks as an ordinary user: directly when this process is one; as root, in a forked
// child that first gives `owned` to the user nobody and then becomes it. Failures inside the
// child are printed there and count here as one failure. The caller must not hold a lock that
// the checks take: the child is another thread to it.
inline void AsOrdinaryUser(const std::vector<std::string>& owned, const std::function<void()>& checks) {
#ifndef _WIN32
  if (geteuid() == 0) {
    constexpr uid_t kNobody = 65534;
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      for (const std::string& path : owned) {
        if (chown(path.c_str(), kNobody, kNobody) != 0) _exit(3);
      }
      if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(4);
      checks();
      _exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a check failed as the user nobody (see above); 3, 4: no such user";
    return;
  }
#endif
  (void)owned;
  checks();
}

}  // namespace lirra::test
