// The loaded page as the navigation policy sees it: a document's elements, and a script run
// in a document's window.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <memory>
#include <string>

#include "browser/navigation_policy.h"
#include "browser/win32/explorer1.h"

namespace lirra::win {

// The elements of the document shown by a browser object (the control or one of its frames);
// null when it has no HTML document.
std::unique_ptr<browser::IPageElements> OpenDocumentElements(IDispatch* browserObject);

// Runs a script in the window of `document`; false when it has none or the script failed.
bool RunScriptInDocument(IDispatch* document, const std::wstring& code, const std::wstring& language);

// Runs a script in the window of the control's top-level document, whichever frame asked.
bool RunScriptInTopDocument(CExplorer1& browser, const std::wstring& code, const std::wstring& language);

}  // namespace lirra::win
