// The browser window with its platform host on a closed port that opens later (offline-page.sh
// runs this in a network and a Wine prefix of its own, since the test itself listens on the
// client's built-in port). Wine's engine raises NavigateError for the refused connection, so the
// real window shows our page and retries by itself; Wine renders no page, so what the window
// loaded is read from the host's report of its own navigations, and the retry is seen at the
// server.
#include <winsock2.h>
// after winsock2.h
#include <gtest/gtest.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <string>
#include <vector>

#include "browser/platform_watch.h"
#include "platform/utf8.h"
#include "resource.h"
#include "win32_test_util.h"
#include "window_driver.h"

namespace {

using lirra::test::BesideTest;
using lirra::test::EnvWinePath;
using lirra::test::SendBounded;
using lirra::test::WaitUntil;
using lirra::test::WindowHost;

constexpr UINT kTrayNotify = WM_USER + 1;

// The host's report: one URL a line.
std::vector<std::string> ReportLines(const std::wstring& file) {
  std::vector<std::string> lines;
  FILE* in = _wfopen(file.c_str(), L"rb");
  if (!in) return lines;
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
  std::fclose(in);
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The platform host of the build ("127.0.0.1:18080"), as the login page names it.
sockaddr_in PlatformAddress() {
  const std::string login = lirra::WideToUtf8(lirra::browser::LoginUrl());
  const std::string authority = login.substr(7, login.find('/', 7) - 7);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr(authority.substr(0, authority.find(':')).c_str());
  address.sin_port = htons(static_cast<u_short>(std::stoi(authority.substr(authority.find(':') + 1))));
  return address;
}

// A platform server that answers one request with a page.
class PlatformServer {
 public:
  PlatformServer() {
    WSADATA data;
    m_bStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~PlatformServer() {
    if (m_listener != INVALID_SOCKET) closesocket(m_listener);
    if (m_bStarted) WSACleanup();
  }
  PlatformServer(const PlatformServer&) = delete;
  PlatformServer& operator=(const PlatformServer&) = delete;

  bool Listen() {
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in address = PlatformAddress();
    return m_listener != INVALID_SOCKET &&
           bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
           listen(m_listener, 4) == 0;
  }

  // The request line of the first request that arrives within `ms`, answered with a page.
  std::string AnswerOne(DWORD ms) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(m_listener, &ready);
    timeval wait = {static_cast<long>(ms / 1000), 0};
    if (select(0, &ready, nullptr, nullptr, &wait) != 1) return {};
    SOCKET client = accept(m_listener, nullptr, nullptr);
    if (client == INVALID_SOCKET) return {};
    std::string request;
    char buffer[2048];
    timeval each = {10, 0};
    while (request.find("\r\n\r\n") == std::string::npos) {
      FD_ZERO(&ready);
      FD_SET(client, &ready);
      if (select(0, &ready, nullptr, nullptr, &each) != 1) break;
      const int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, n);
    }
    const std::string page = "<html><body>login</body></html>";
    const std::string answer =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(page.size()) +
        "\r\nConnection: close\r\n\r\n" + page;
    send(client, answer.data(), static_cast<int>(answer.size()), 0);
    shutdown(client, SD_SEND);
    closesocket(client);
    return request.substr(0, request.find("\r\n"));
  }

 private:
  bool m_bStarted = false;
  SOCKET m_listener = INVALID_SOCKET;
};

TEST(OfflinePage, OurPageShowsAndTheRetryReachesThePlatformOnceItListens) {
  const std::wstring report = EnvWinePath("LIRRA_BINARY_DIR") + L"\\tests\\win32\\navigations-" +
                              std::to_wstring(GetCurrentProcessId()) + L".txt";
  DeleteFileW(report.c_str());
  WindowHost host(BesideTest(L"browser_host.exe"), L"navigation-report \"" + report + L"\"",
                  EnvWinePath("LIRRA_SOURCE_DIR"));
  ASSERT_TRUE(host.Started());
  HWND window = host.FindDialog(30000);
  ASSERT_NE(nullptr, window) << "browser window did not appear";

  // Nothing listens: the login page is refused, our page shows, and 5 s later the first retry
  // loads the login page again, is refused again, and our page is back.
  ASSERT_TRUE(WaitUntil([&] { return ReportLines(report).size() >= 3; }, 40000))
      << "no automatic retry; the window loaded " << ReportLines(report).size() << " of its own pages";
  std::vector<std::string> lines = ReportLines(report);
  EXPECT_EQ(0u, lines[0].rfind("file:///", 0)) << lines[0];
  EXPECT_TRUE(EndsWith(lines[0], "/res/offline-noanswer.html")) << lines[0];
  EXPECT_EQ(lirra::WideToUtf8(lirra::browser::LoginUrl()), lines[1]);
  EXPECT_EQ(lines[0], lines[2]);

  // Meanwhile the title strip and the tray work as ever.
  PostMessageW(GetDlgItem(window, IDC_BROWSER_CLOSE), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }, 5000)) << "close did not hide the window";
  EXPECT_EQ(0, SendBounded(window, kTrayNotify, 128, WM_LBUTTONDBLCLK));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 5000));

  // With the About box open over the window, the platform starts to listen: the retry still
  // comes, and its request arrives at the server.
  PostMessageW(window, WM_COMMAND, ID_TRAY_ABOUT, 0);
  HWND about = host.FindDialogOtherThan(window, 10000);
  ASSERT_NE(nullptr, about) << "the About box did not open";
  PlatformServer platform;
  ASSERT_TRUE(platform.Listen()) << "the platform port is taken: " << WSAGetLastError();
  EXPECT_EQ("GET /jxsplatform/login.html HTTP/1.1", platform.AnswerOne(90000));
  lines = ReportLines(report);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lirra::WideToUtf8(lirra::browser::LoginUrl()), lines.back()) << "the last own navigation";

  PostMessageW(GetDlgItem(about, IDC_ABOUT_CLOSE), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));
  PostMessageW(window, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(0, host.WaitExit(10000));
  DeleteFileW(report.c_str());
}

}  // namespace
