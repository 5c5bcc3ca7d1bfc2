#include "pc/run_flags.h"

#include "pc/vendors.h"

namespace lirra {

CRunFlags& CRunFlags::GetInstance() {
  static CRunFlags* flags = new CRunFlags();  // never freed: workers may still read it at exit
  return *flags;
}

bool& CRunFlags::Installed(Vendor vendor) { return this->*VendorOf(vendor).installed; }
bool CRunFlags::Installed(Vendor vendor) const { return this->*VendorOf(vendor).installed; }

}  // namespace lirra
