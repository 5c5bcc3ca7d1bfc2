// The manifest key built into a program. Alone in its file on purpose: lirra_core carries it
// compiled with no key, and every shipped program links its own copy compiled with the
// build's LIRRA_MANIFEST_PUBLIC_KEY ahead of the library, so the library's copy is left out.
// Tests thus keep the specified behaviour whatever key the tree is built with.
#include "net/manifest_trust.h"

#ifndef LIRRA_MANIFEST_PUBLIC_KEY
#define LIRRA_MANIFEST_PUBLIC_KEY ""
#endif

namespace lirra {

const char* BuiltInManifestKeyText() { return LIRRA_MANIFEST_PUBLIC_KEY; }

}  // namespace lirra
