// Starting services through the service control manager of a Wine prefix, with a fixture
// service registered by the test.
#include <gtest/gtest.h>
#include <windows.h>

#include "pc/system_probe.h"
#include "platform/platform.h"
#include "win32_test_util.h"

namespace lirra {
namespace {

using test::WinePath;

// A fixture service registered for one test and removed afterwards.
class FixtureService {
 public:
  FixtureService(const std::wstring& name, const std::wstring& options, DWORD startType = SERVICE_DEMAND_START)
      : name_(name), manager_(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
    std::wstring command = L"\"" + WinePath(FIXTURE_SERVICE) + L"\" " + name + L" " + options;
    service_.Reset(CreateServiceW(manager_.Get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                  SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_NORMAL, command.c_str(), nullptr,
                                  nullptr, nullptr, nullptr, nullptr));
  }
  ~FixtureService() {
    if (!service_) return;
    SERVICE_STATUS status{};
    ControlService(service_.Get(), SERVICE_CONTROL_STOP, &status);
    for (int i = 0; i < 50 && QueryServiceStatus(service_.Get(), &status) && status.dwCurrentState != SERVICE_STOPPED;
         ++i) {
      Sleep(100);
    }
    DeleteService(service_.Get());
  }
  FixtureService(const FixtureService&) = delete;
  FixtureService& operator=(const FixtureService&) = delete;
  bool Registered() const { return service_.Valid(); }
  bool StartRaw() { return StartServiceW(service_.Get(), 0, nullptr) != 0; }
  const std::wstring& Name() const { return name_; }

 private:
  std::wstring name_;
  win::ScopedServiceHandle manager_;
  win::ScopedServiceHandle service_;
};

TEST(Win32Services, StoppedServiceIsStartedAndWaitedFor) {
  FixtureService service(L"LirraFixtureSlow", L"--start-delay 1500");
  ASSERT_TRUE(service.Registered());
  EXPECT_EQ(OS().QueryService(service.Name()), ServiceState::Stopped);
  EXPECT_TRUE(CSystemProbe::StartServiceByName(service.Name()));
  EXPECT_EQ(OS().QueryService(service.Name()), ServiceState::Running);
  // Already running: true without another start.
  EXPECT_TRUE(CSystemProbe::StartServiceByName(service.Name()));
}

TEST(Win32Services, PendingServiceIsLeftAlone) {
  FixtureService service(L"LirraFixturePending", L"--start-delay 4000");
  ASSERT_TRUE(service.Registered());
  ASSERT_TRUE(service.StartRaw());
  ASSERT_EQ(OS().QueryService(service.Name()), ServiceState::Pending);
  EXPECT_TRUE(CSystemProbe::StartServiceByName(service.Name()));
  EXPECT_EQ(OS().QueryService(service.Name()), ServiceState::Pending);  // it did not wait
}

TEST(Win32Services, MissingDisabledAndFailingServicesAnswerFalse) {
  for (const wchar_t* name : {L"upnphost", L"AxInstSV", L"SCardSvr", L"NoSuchService"}) {
    EXPECT_FALSE(CSystemProbe::StartServiceByName(name));
    EXPECT_EQ(OS().QueryService(name), ServiceState::Missing);
  }
  FixtureService disabled(L"LirraFixtureDisabled", L"", SERVICE_DISABLED);
  ASSERT_TRUE(disabled.Registered());
  EXPECT_FALSE(CSystemProbe::StartServiceByName(disabled.Name()));
  EXPECT_EQ(OS().QueryService(disabled.Name()), ServiceState::Stopped);

  // A service that stops again right after its start does not run: false, without hanging.
  FixtureService broken(L"LirraFixtureBroken", L"--stop-at-once");
  ASSERT_TRUE(broken.Registered());
  EXPECT_FALSE(CSystemProbe::StartServiceByName(broken.Name()));
}

}  // namespace
}  // namespace lirra
