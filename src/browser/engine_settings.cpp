#include "browser/engine_settings.h"

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

// URL actions enabled without prompting: download unsigned ActiveX, script controls not
// marked safe, run never-run controls, run controls, script safe controls, auto-prompting.
const wchar_t* const kZoneActions[] = {L"1004", L"1201", L"1208", L"1200", L"1405", L"2201"};
const wchar_t* const kZones[] = {L"2", L"3"};

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
  for (const wchar_t* zone : kZones) {
    for (const wchar_t* action : kZoneActions) SetZoneAction(kZonesPrefix, action, zone);
  }
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
