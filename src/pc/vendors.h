// The card-reader vendors, one row each: everything the run flags, the state file, both
// workers and the driver manager need to know about a vendor. A new vendor is one row here
// (plus its button in the dialog template).
#pragma once

#include "pc/run_flags.h"

namespace lirra {

// The vendors in the order an install run processes them and the driver manager lays out
// their buttons.
enum class Vendor { kHID, kYSB, kNJYS, kWHJL, kSDSS };
inline constexpr int kVendorCount = 5;

// Another vendor whose installed driver makes installing this one a question.
struct VendorConflict {
  Vendor other;
  const wchar_t* question;  // null: no conflict in this place
};

struct VendorInfo {
  Vendor vendor;
  const char* key;                 // state-file section, manifest section and package folder
  const wchar_t* label;            // as its button shows it
  int buttonId;                    // its button in the driver manager
  int labelX;                      // where its label starts inside the button
  bool CRunFlags::*installed;      // its run flag
  const wchar_t* interfaceIds[2];  // its plug-in's interfaces; every one must be registered
  const wchar_t* installer;        // the package's default installer file name
  const wchar_t* md5;              // and its digest
  // Status texts of an install run; null for HID, which registers CardX.ocx instead.
  const wchar_t* downloading;
  const wchar_t* installing;
  const wchar_t* succeeded;
  const wchar_t* failed;
  VendorConflict conflicts[2];  // the first whose vendor is installed is asked
};

const VendorInfo& VendorOf(Vendor vendor);

// Internet Explorer 8 for XP is no card-reader vendor, but its package is fetched and checked
// like theirs: the name tools call it by, its manifest section, and its default installer (which
// lies directly in the client's folder, not in a folder of its own) with its digest.
inline constexpr char kIe8Key[] = "IE8";
inline constexpr char kIe8Section[] = "IE";
inline constexpr wchar_t kIe8Installer[] = L"IE8XP.exe";
inline constexpr wchar_t kIe8Md5[] = L"acde10a1f8659cf91a3a323590195b48";

// Run order (the enum's).
extern const Vendor kVendorsInRunOrder[kVendorCount];
// The order of the state file's sections and of the start-up probes.
extern const Vendor kVendorsInStateOrder[kVendorCount];

}  // namespace lirra
