#include "browser/engine_settings.h"

#include <cwchar>

#include "browser/own_pages.h"
#include "pc/system_probe.h"
#include "platform/utf8.h"

namespace lirra {

namespace {

const wchar_t kFeatureControlPrefix[] = L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\";
const wchar_t kZonesPrefix[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\";
const wchar_t kDomainsPrefix[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\";

constexpr std::uint32_t kIE11EdgeMode = 12000;
constexpr std::uint32_t kTrustedSitesZone = 2;

struct FeatureControl {
  const wchar_t* feature;
  std::uint32_t ownData;    // for this program
  std::uint32_t otherData;  // for another program ("iexplore.exe")
};

// In the order they are written.
const FeatureControl kFeatureControls[] = {
    {L"FEATURE_BROWSER_EMULATION", kIE11EdgeMode, kIE11EdgeMode},
    {L"FEATURE_ACTIVEX_REPURPOSEDETECTION", 0, 0},
    {L"FEATURE_BLOCK_LMZ_IMG", 1, 0},
    {L"FEATURE_BLOCK_LMZ_OBJECT", 1, 0},
    {L"FEATURE_BLOCK_LMZ_SCRIPT", 1, 0},
    {L"FEATURE_Cross_Domain_Redirect_Mitigation", 1, 0},
    {L"FEATURE_ENABLE_SCRIPT_PASTE_URLACTION_IF_PROMPT", 1, 0},
    {L"FEATURE_LOCALMACHINE_LOCKDOWN", 1, 0},
    {L"FEATURE_GPU_RENDERING", 1, 0},
};

// Only the Trusted sites zone, which holds nothing but the operator's domain unless the user
// put more there. The Internet zone stays as the user has it: the hosted browser's own security
// manager allows these actions to the operator's pages alone, so no other site, in this client
// or in Internet Explorer, gets them.
const wchar_t kTrustedSitesZoneName[] = L"2";

// The registry names a URL action by its number in hexadecimal.
std::wstring ZoneValueName(std::uint32_t action) {
  wchar_t name[16];
  std::swprintf(name, sizeof name / sizeof name[0], L"%X", static_cast<unsigned>(action));
  return name;
}

}  // namespace

bool CEngineSettings::SetFeatureControl(const std::wstring& feature, std::uint32_t data,
                                        const std::wstring& valueName) {
  return OS().WriteDword(RegHive::LocalMachine, kFeatureControlPrefix + feature, valueName, data);
}

bool CEngineSettings::SetOwnFeatureControl(const std::wstring& feature, std::uint32_t data) {
  // The engine applies a value to the process of that file name, so it follows a renamed exe.
  const std::wstring own = CSystemProbe::GetExeFileName();
  const bool machine = SetFeatureControl(feature, data, own);
  // Only an elevated process can write the machine's values; the engine also reads the user's,
  // so the document mode holds for the shop's ordinary account as well.
  const bool user = OS().WriteDword(RegHive::CurrentUser, kFeatureControlPrefix + feature, own, data);
  return machine || user;
}

int CEngineSettings::SetOwnFeatureControls() {
  for (const FeatureControl& row : kFeatureControls) SetOwnFeatureControl(row.feature, row.ownData);
  return 0;
}

int CEngineSettings::SetFeatureControlsFor(const std::wstring& programFileName) {
  for (const FeatureControl& row : kFeatureControls) SetFeatureControl(row.feature, row.otherData, programFileName);
  return 0;
}

int CEngineSettings::AddTrustedDomain(const std::wstring& domainPattern) {
  bool ok = OS().WriteDword(RegHive::CurrentUser, kDomainsPrefix + domainPattern, L"http", kTrustedSitesZone);
  return ok ? 0 : -1;
}

int CEngineSettings::SetZoneAction(const std::wstring& zonesPrefix, const std::wstring& valueName,
                                   const std::wstring& zoneNumber) {
  OS().WriteDword(RegHive::CurrentUser, zonesPrefix + zoneNumber, valueName, 0);
  return 0;
}

bool CEngineSettings::EnableZoneActions() {
  for (std::uint32_t action : browser::kOwnPageUrlActions)
    SetZoneAction(kZonesPrefix, ZoneValueName(action), kTrustedSitesZoneName);
  return true;
}

std::wstring CEngineSettings::TrustedDomainPattern() { return L"*." + Utf8ToWide(LIRRA_PRIMARY_DOMAIN); }

void CEngineSettings::ApplyBrowserSettings() {
  SetOwnFeatureControls();
  SetFeatureControlsFor(L"iexplore.exe");
  AddTrustedDomain(TrustedDomainPattern());
  EnableZoneActions();
}

}  // namespace lirra
