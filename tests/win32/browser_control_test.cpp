// The browser's COM plumbing under Wine: the event sink turns DWebBrowserEvents2 calls into
// navigation policy calls, and CExplorer1 creates and drives the real WebBrowser control
// (Wine has no HTML engine, so pages themselves are never seen).
#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>
// after windows.h
#include <exdisp.h>
#include <exdispid.h>
#include <servprov.h>
#include <urlmon.h>

#include <string>
#include <vector>

#include "browser/navigation_policy.h"
#include "browser/win32/browser_events.h"
#include "browser/win32/explorer1.h"
#include "mingw/atl_exports.h"
#include "platform/win32/scoped.h"
#include "win32_test_util.h"

namespace lirra::win {
namespace {

class RecordingHost : public browser::IBrowserHost {
 public:
  void NavigateSilently(const std::wstring& url) override { navigated.push_back(url); }
  void SetTitleText(const std::wstring& text) override { titles.push_back(text); }
  void EnableBackButton(bool enable) override { back.push_back(enable); }
  void EnableForwardButton(bool enable) override { forward.push_back(enable); }
  void RunScriptInTopDocument(const std::wstring& code, const std::wstring&) override { scripts.push_back(code); }
  void NavigateOwnPage(const std::wstring& url) override { navigated.push_back(url); }
  void StartTimer(browser::WatchTimer, unsigned) override {}
  void StopTimer(browser::WatchTimer) override {}

  std::vector<std::wstring> navigated, titles, scripts;
  std::vector<bool> back, forward;
};

// Arguments in declaration order; DISPPARAMS want them last first.
class Arguments {
 public:
  explicit Arguments(std::vector<VARIANT> inOrder) : values_(inOrder.rbegin(), inOrder.rend()) {
    params_.rgvarg = values_.data();
    params_.cArgs = static_cast<UINT>(values_.size());
  }
  DISPPARAMS* Get() { return &params_; }

 private:
  std::vector<VARIANT> values_;
  DISPPARAMS params_ = {};
};

VARIANT Long(LONG value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

VARIANT Bool(bool value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT BoolRef(VARIANT_BOOL* value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_BOOL;
  V_BOOLREF(&v) = value;
  return v;
}

VARIANT DispatchRef(IDispatch** value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_DISPATCH;
  V_DISPATCHREF(&v) = value;
  return v;
}

VARIANT Dispatch(IDispatch* value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = value;
  return v;
}

VARIANT Text(BSTR value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = value;
  return v;
}

VARIANT VariantRef(VARIANT* value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&v) = value;
  return v;
}

class EventSink : public testing::Test {
 protected:
  void SetUp() override { sink_ = new CWebBrowserEvents(policy_); }
  void TearDown() override { sink_->Release(); }
  void Raise(DISPID id, Arguments& arguments) {
    EXPECT_EQ(S_OK, sink_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, arguments.Get(), nullptr, nullptr, nullptr));
  }

  RecordingHost host_;
  browser::CNavigationPolicy policy_{host_, L"lirra.cn", L"lirrapay.com"};
  CWebBrowserEvents* sink_ = nullptr;
};

TEST_F(EventSink, NewWindowsAreCancelledAndTheTargetLoadsInPlace) {
  IDispatch* window = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  Arguments two({DispatchRef(&window), BoolRef(&cancel)});
  Raise(DISPID_NEWWINDOW2, two);
  EXPECT_EQ(VARIANT_TRUE, cancel);
  EXPECT_TRUE(host_.navigated.empty());

  cancel = VARIANT_FALSE;
  BSTR context = SysAllocString(L"http://www.lirra.cn/list.html");
  BSTR target = SysAllocString(L"http://www.lirra.cn/detail.html?id=3");
  VARIANT flags = Long(0x6);
  V_VT(&flags) = VT_UI4;
  Arguments three({DispatchRef(&window), BoolRef(&cancel), flags, Text(context), Text(target)});
  Raise(DISPID_NEWWINDOW3, three);
  EXPECT_EQ(std::vector<std::wstring>{L"http://www.lirra.cn/detail.html?id=3"}, host_.navigated);
  EXPECT_EQ(VARIANT_TRUE, cancel);
  SysFreeString(context);
  SysFreeString(target);
}

TEST_F(EventSink, CommandStateAndProgressReachThePolicy) {
  Arguments forward({Long(browser::kCommandForward), Bool(false)});
  Raise(DISPID_COMMANDSTATECHANGE, forward);
  Arguments back({Long(browser::kCommandBack), Bool(true)});
  Raise(DISPID_COMMANDSTATECHANGE, back);
  Arguments all({Long(-1), Bool(false)});
  Raise(DISPID_COMMANDSTATECHANGE, all);
  EXPECT_EQ(std::vector<bool>{false}, host_.forward);
  EXPECT_EQ(std::vector<bool>{true}, host_.back);

  Arguments loading({Long(10), Long(100)});
  Raise(DISPID_PROGRESSCHANGE, loading);
  Arguments done({Long(-1), Long(100)});
  Raise(DISPID_PROGRESSCHANGE, done);
  EXPECT_EQ(
      (std::vector<std::wstring>{L"欢迎使用Lirra·商户PC系统（正在加载，请稍后...）", L"欢迎使用Lirra·商户PC系统"}),
      host_.titles);
}

TEST_F(EventSink, NavigateCompleteReadsTheUrlThroughItsReference) {
  BSTR url = SysAllocString(L"http://www.lirra.cn/jxsplatform/login.html");
  VARIANT page = Text(url);
  Arguments operatorPage({Dispatch(nullptr), VariantRef(&page)});
  Raise(DISPID_NAVIGATECOMPLETE2, operatorPage);
  EXPECT_EQ(std::vector<std::wstring>{L"window.getpc=true;"}, host_.scripts);

  BSTR other = SysAllocString(L"http://example.org/");
  VARIANT otherPage = Text(other);
  Arguments otherArguments({Dispatch(nullptr), VariantRef(&otherPage)});
  Raise(DISPID_NAVIGATECOMPLETE2, otherArguments);
  EXPECT_EQ(1u, host_.scripts.size());
  SysFreeString(url);
  SysFreeString(other);
}

TEST_F(EventSink, MissingOrOddArgumentsAndOtherEventsChangeNothing) {
  Arguments none({});
  for (DISPID id : {DISPID_NEWWINDOW2, DISPID_NEWWINDOW3, DISPID_COMMANDSTATECHANGE, DISPID_NAVIGATECOMPLETE2,
                    DISPID_PROGRESSCHANGE, DISPID_DOCUMENTCOMPLETE, DISPID_BEFORENAVIGATE2, DISPID_NAVIGATEERROR,
                    DISPID_WEBWORKERFINISHED, DISPID_BEFORESCRIPTEXECUTE})
    Raise(id, none);
  // A frame without a document: the rewrite finds nothing to open.
  BSTR url = SysAllocString(L"http://www.lirra.cn/");
  VARIANT page = Text(url);
  Arguments complete({Dispatch(nullptr), VariantRef(&page)});
  Raise(DISPID_DOCUMENTCOMPLETE, complete);
  SysFreeString(url);
  EXPECT_TRUE(host_.navigated.empty());
  EXPECT_TRUE(host_.scripts.empty());
  EXPECT_TRUE(host_.forward.empty());
  EXPECT_TRUE(host_.back.empty());
}

TEST_F(EventSink, AnswersAsAnEventInterface) {
  IDispatch* asEvents = nullptr;
  ASSERT_EQ(S_OK, sink_->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&asEvents)));
  EXPECT_EQ(static_cast<IDispatch*>(sink_), asEvents);
  asEvents->Release();
  IUnknown* other = nullptr;
  EXPECT_EQ(E_NOINTERFACE, sink_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&other)));
  EXPECT_EQ(nullptr, other);
}

// A WebBrowser control that CExplorer1 created by code in atl.dll's host window.
class HostedControl : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ole_.Ok());
    ASSERT_TRUE(CExplorer1::RegisterHostClass()) << "atl.dll's host class";
    parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, parent_);
    RECT rc = {0, 0, 400, 300};
    ASSERT_TRUE(browser_.Create(nullptr, CExplorer1::kWebBrowserClsid, WS_VISIBLE, rc, parent_, 1007, nullptr));
  }
  void TearDown() override {
    browser_.Detach();
    if (parent_) DestroyWindow(parent_);
  }

  ScopedOleInit ole_;
  HWND parent_ = nullptr;
  CExplorer1 browser_;
};

TEST_F(HostedControl, IsCreatedAndDriven) {
  EXPECT_EQ(1007, GetDlgCtrlID(browser_.GetSafeHwnd()));
  EXPECT_TRUE(browser_.HasControl());

  RecordingHost host;
  browser::CNavigationPolicy policy(host, L"lirra.cn", L"lirrapay.com");
  auto* sink = new CWebBrowserEvents(policy);
  EXPECT_TRUE(browser_.ConnectEvents(sink));
  EXPECT_TRUE(browser_.Navigate(L"about:blank"));
  EXPECT_TRUE(browser_.SetSilent(true));
  browser_.Detach();
  EXPECT_FALSE(browser_.HasControl());
  // Detached, the control is no longer driven; calls report it instead of crashing.
  EXPECT_FALSE(browser_.Navigate(L"about:blank"));
  EXPECT_FALSE(browser_.GoBack());
  EXPECT_FALSE(browser_.GetDocument());
  sink->Release();
}

// The control's own client site, asked as the engine asks it, hands out our security manager:
// the six ActiveX actions are allowed for the platform's pages and left to Windows for others.
TEST_F(HostedControl, ItsSiteAnswersWithOurSecurityManager) {
  auto getControl = reinterpret_cast<AtlAxGetControlFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"atl.dll"), "AtlAxGetControl")));
  ASSERT_NE(nullptr, getControl);
  ComPtr<IUnknown> control;
  ASSERT_EQ(S_OK, getControl(browser_.GetSafeHwnd(), control.Receive()));
  ComPtr<IOleObject> object = control.As<IOleObject>(IID_IOleObject);
  ASSERT_TRUE(object);
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(S_OK, object->GetClientSite(site.Receive()));
  ASSERT_TRUE(site);
  ComPtr<IServiceProvider> services = site.As<IServiceProvider>(IID_IServiceProvider);
  ASSERT_TRUE(services) << "the control's site provides no services";
  ComPtr<IInternetSecurityManager> manager;
  ASSERT_EQ(S_OK, services->QueryService(SID_SInternetSecurityManager, IID_IInternetSecurityManager,
                                         reinterpret_cast<void**>(manager.Receive())));
  ASSERT_TRUE(manager);

  const std::wstring own = L"http://" + test::Widen(LIRRA_PLATFORM_HOST) + L"/jxsplatform/login.html";
  const std::wstring lookAlike = L"http://" + test::Widen(LIRRA_PLATFORM_HOST) + L"@evil.invalid/";
  for (DWORD action :
       {URLACTION_DOWNLOAD_UNSIGNED_ACTIVEX, URLACTION_ACTIVEX_OVERRIDE_OBJECT_SAFETY, URLACTION_ACTIVEX_OVERRIDE_OPTIN,
        URLACTION_ACTIVEX_RUN, URLACTION_SCRIPT_SAFE_ACTIVEX, URLACTION_AUTOMATIC_ACTIVEX_UI}) {
    DWORD policy = 0xA5A5A5A5;
    EXPECT_EQ(S_OK, manager->ProcessUrlAction(own.c_str(), action, reinterpret_cast<BYTE*>(&policy), sizeof policy,
                                              nullptr, 0, PUAF_NOUI, 0))
        << std::hex << action;
    EXPECT_EQ(static_cast<DWORD>(URLPOLICY_ALLOW), policy) << std::hex << action;
    // A foreign page, and a look-alike with our host as its user name: Windows decides, and
    // the policy is not touched.
    for (const std::wstring& foreign : {std::wstring(L"http://evil.invalid/"), lookAlike}) {
      policy = 0xA5A5A5A5;
      EXPECT_EQ(INET_E_DEFAULT_ACTION,
                manager->ProcessUrlAction(foreign.c_str(), action, reinterpret_cast<BYTE*>(&policy), sizeof policy,
                                          nullptr, 0, PUAF_NOUI, 0));
      EXPECT_EQ(0xA5A5A5A5u, policy);
    }
  }
  // Other actions on our own pages, and the other questions, are Windows' too.
  DWORD policy = 0xA5A5A5A5;
  EXPECT_EQ(INET_E_DEFAULT_ACTION,
            manager->ProcessUrlAction(own.c_str(), URLACTION_SCRIPT_RUN, reinterpret_cast<BYTE*>(&policy),
                                      sizeof policy, nullptr, 0, PUAF_NOUI, 0));
  EXPECT_EQ(0xA5A5A5A5u, policy);
  BYTE small = 0x5A;
  EXPECT_EQ(INET_E_DEFAULT_ACTION,
            manager->ProcessUrlAction(own.c_str(), URLACTION_ACTIVEX_RUN, &small, 1, nullptr, 0, PUAF_NOUI, 0));
  EXPECT_EQ(0x5A, small);
  DWORD zone = 77;
  EXPECT_EQ(INET_E_DEFAULT_ACTION, manager->MapUrlToZone(own.c_str(), &zone, 0));
  EXPECT_EQ(INET_E_DEFAULT_ACTION, manager->SetZoneMapping(URLZONE_INTERNET, L"*.invalid", SZM_CREATE));
  IInternetSecurityMgrSite* securitySite = reinterpret_cast<IInternetSecurityMgrSite*>(1);
  EXPECT_EQ(INET_E_DEFAULT_ACTION, manager->GetSecuritySite(&securitySite));
  EXPECT_EQ(nullptr, securitySite);

  // The site still hosts: the control is in place in the host's window, and driven.
  EXPECT_NE(nullptr, GetWindow(browser_.GetSafeHwnd(), GW_CHILD));
  EXPECT_TRUE(browser_.Navigate(L"about:blank"));
}

TEST(Explorer1, AttachRefusesAWindowWithoutAControl) {
  ScopedOleInit ole;
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, plain);
  CExplorer1 browser;
  EXPECT_FALSE(browser.Attach(plain));
  EXPECT_FALSE(browser.Attach(nullptr));
  EXPECT_FALSE(browser.Refresh());
  DestroyWindow(plain);
}

}  // namespace
}  // namespace lirra::win
