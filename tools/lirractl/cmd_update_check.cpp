// lirractl update-check [URL]: the client's update check, every field of its answer.
#include <cstdio>
#include <string>

#include "app/update_check.h"
#include "command.h"
#include "net/package_table.h"
#include "platform/platform.h"
#include "platform/socket.h"
#include "store/support_log.h"

namespace {

int RunUpdateCheck(const lirractl::Args& args) {
  if (args.size() > 1) return lirractl::Usage();
  lirra::SetTraceStream(stderr);
  if (!lirra::SocketsStartup()) {
    std::fprintf(stderr, "lirractl: sockets unavailable\n");
    return 1;
  }
  std::wstring url = args.empty() ? lirra::VersionDataUrl() : lirra::OS().AnsiToWide(args[0]);
  lirra::UpdateInfo info;
  int ret = lirra::GetLatestVersionInfo(&info, url);
  lirra::SocketsCleanup();
  std::printf("code=%d\n", static_cast<int>(info.nCode));
  std::printf("msg=%s\n", info.szMsg);
  std::printf("key=%s\n", info.szKey);
  std::printf("desc=%s\n", info.szDesc);
  std::printf("value=%s\n", info.szValue);
  std::printf("feeInfo=%s\n", info.szFeeInfo);
  std::printf("downloadPage=%s\n", info.szDownloadPage);
  std::printf("downloadUrl=%s\n", info.szDownloadUrl);
  std::printf("localVersion=%s\n", info.szLocalVersion);
  std::printf("needUpdate=%d\n", static_cast<int>(info.nNeedUpdate));
  std::printf("ret=%d\n", ret);
  return ret == 0 ? 0 : 1;
}

}  // namespace

LIRRACTL_COMMAND("update-check", "[URL]", RunUpdateCheck);
