#include "pc/vendors.h"

#include "resource.h"

namespace lirra {

namespace {

constexpr wchar_t kAskNjysSdss[] = L"南京亿数和山东神思在部分机型上会冲突，\r\n继续安装？";
constexpr wchar_t kAskNjysWhjl[] = L"南京亿数和武汉精伦在部分机型上会冲突，\r\n继续安装？";
constexpr wchar_t kAskWhjlSdss[] = L"武汉精伦和山东神思在部分机型上会冲突，\r\n继续安装？";

const VendorInfo kVendors[kVendorCount] = {
    {Vendor::kHID,
     "HID",
     L"HID",
     IDC_DRV_HID,
     48,
     &CRunFlags::m_bHID,
     {L"{D18F137A-0549-4868-B49D-4AF69278E7AC}"},
     L"XP32.exe",
     L"6dc5143eacb9dc3c4ffee81bcff0206c",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {}},
    {Vendor::kYSB,
     "YSB",
     L"广州易售宝",
     IDC_DRV_YSB,
     17,
     &CRunFlags::m_bYSB,
     {L"{6B20A80E-7218-49C8-804E-DF4B78815E9F}", L"{438E0BA0-E5EA-464E-A633-3A4443C45A9F}"},
     L"BTReader.exe",
     L"032493574ae689c119585f173ab9fe9d",
     L"正在下载广州易售宝必备驱动...",
     L"正在安装广州易售宝【温馨提示：如果杀毒软件或360拦截安装，请允许】",
     L"安装广州易售宝成功",
     L"安装广州易售宝失败",
     {}},
    {Vendor::kNJYS,
     "NJYS",
     L"南京亿数",
     IDC_DRV_NJYS,
     28,
     &CRunFlags::m_bNJYS,
     {L"{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}"},
     L"clientsetup.exe",
     L"be16500187f8b550e01f955bad1399a1",
     L"正在下载南京亿数必备驱动...",
     L"正在安装南京亿数【温馨提示：如果杀毒软件或360拦截安装，请允许】",
     L"安装南京亿数成功",
     L"安装南京亿数失败",
     {{Vendor::kSDSS, kAskNjysSdss}, {Vendor::kWHJL, kAskNjysWhjl}}},
    {Vendor::kWHJL,
     "WHJL",
     L"武汉精伦",
     IDC_DRV_WHJL,
     28,
     &CRunFlags::m_bWHJL,
     {L"{4A8D857F-3372-457B-A1F8-0D2A3615B677}"},
     L"jinglun.exe",
     L"1e8e74316902caa99a3ffe089994059e",
     L"正在下载武汉精伦必备驱动...",
     L"正在安装武汉精伦【温馨提示：如果杀毒软件或360拦截安装，请允许】",
     L"安装广州武汉精伦成功",
     L"安装广州武汉精伦失败",
     {{Vendor::kSDSS, kAskWhjlSdss}, {Vendor::kNJYS, kAskNjysWhjl}}},
    {Vendor::kSDSS,
     "SDSS",
     L"山东神思",
     IDC_DRV_SDSS,
     28,
     &CRunFlags::m_bSDSS,
     {L"{C1EEF725-1A89-4346-AFC8-F83B536373DE}"},
     L"shandongshensi.exe",
     L"206a6ddc7a25940dde3a7316165c6cc2",
     L"正在下载山东神思备驱动...",
     L"正在安装山东神思【温馨提示：如果杀毒软件或360拦截安装，请允许】",
     L"安装山东神思成功",
     L"安装山东神思失败",
     {{Vendor::kWHJL, kAskWhjlSdss}, {Vendor::kNJYS, kAskNjysSdss}}},
};

}  // namespace

const Vendor kVendorsInRunOrder[kVendorCount] = {Vendor::kHID, Vendor::kYSB, Vendor::kNJYS, Vendor::kWHJL,
                                                 Vendor::kSDSS};
const Vendor kVendorsInStateOrder[kVendorCount] = {Vendor::kHID, Vendor::kNJYS, Vendor::kSDSS, Vendor::kWHJL,
                                                   Vendor::kYSB};

const VendorInfo& VendorOf(Vendor vendor) { return kVendors[static_cast<int>(vendor)]; }

}  // namespace lirra
