// What the start-up preparation found, carried to the driver manager and saved in config.ini.
#pragma once

namespace lirra {

enum class Vendor;

class CRunFlags {
 public:
  // The one record of the process, created with the defaults on first use and never freed.
  static CRunFlags& GetInstance();

  // The vendor's flag below.
  bool& Installed(Vendor vendor);
  bool Installed(Vendor vendor) const;

  bool m_bOfferDriverSetup = true;  // show the driver manager after the loading window
  bool m_bHID = false;              // the HID card-reader plug-in (CardX) is registered
  bool m_bYSB = false;
  bool m_bNJYS = false;
  bool m_bWHJL = false;
  bool m_bSDSS = false;
};

}  // namespace lirra
