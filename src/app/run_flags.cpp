#include "app/run_flags.h"

namespace lirra {

CRunFlags& CRunFlags::GetInstance() {
  static CRunFlags* flags = new CRunFlags();  // never freed: workers may still read it at exit
  return *flags;
}

}  // namespace lirra
