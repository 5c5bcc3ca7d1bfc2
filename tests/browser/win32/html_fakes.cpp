#include "browser/win32/html_fakes.h"

namespace lirra::test {

std::vector<std::string>& UnexpectedCalls() {
  static std::vector<std::string> calls;
  return calls;
}

HRESULT UnexpectedCall(const char* method) {
  UnexpectedCalls().emplace_back(method);
  return E_NOTIMPL;
}

namespace {

bool IsDispatch(REFIID iid) { return IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch); }

std::wstring TextOf(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

HRESULT NewText(const std::wstring& text, BSTR* out) {
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// An interface pointer handed out with a reference of its own, as COM's getters do.
template <typename Interface, typename Fake>
HRESULT HandOut(Fake* fake, Interface** out) {
  *out = fake;
  if (fake) fake->AddRef();
  return S_OK;
}

}  // namespace

bool FakeDispatch::Answers(REFIID iid) const { return IsDispatch(iid); }

void FakeElement::SetPageAttribute(const std::wstring& name, AttributeValue value) {
  if (Attribute* existing = Find(name)) {
    existing->value = std::move(value);
    return;
  }
  m_attributes.push_back({name, std::move(value)});
}

std::optional<std::wstring> FakeElement::PageText(const std::wstring& name) const {
  const Attribute* attribute = Find(name);
  if (!attribute || attribute->value.type != VT_BSTR) return std::nullopt;
  return attribute->value.text;
}

FakeElement::Attribute* FakeElement::Find(const std::wstring& name) {
  for (Attribute& attribute : m_attributes) {
    if (attribute.name == name) return &attribute;
  }
  return nullptr;
}

const FakeElement::Attribute* FakeElement::Find(const std::wstring& name) const {
  return const_cast<FakeElement*>(this)->Find(name);
}

HRESULT FakeElement::get_tagName(BSTR* p) {
  ++m_nTagNameReads;
  if (!p) return E_POINTER;
  *p = nullptr;
  if (FAILED(m_hrTagName)) return m_hrTagName;
  if (m_bNullTagName) return S_OK;
  return NewText(m_strTagName, p);
}

HRESULT FakeElement::getAttribute(BSTR name, LONG flags, VARIANT* value) {
  m_gets.push_back({TextOf(name), flags});
  if (!value) return E_POINTER;
  VariantInit(value);
  if (FAILED(m_hrGetAttribute)) return m_hrGetAttribute;
  const Attribute* attribute = Find(TextOf(name));
  if (!attribute) {
    V_VT(value) = VT_NULL;
    return S_OK;
  }
  const AttributeValue& stored = attribute->value;
  V_VT(value) = stored.type;
  switch (stored.type) {
    case VT_BSTR:
      return NewText(stored.text, &V_BSTR(value));
    case VT_I4:
      V_I4(value) = stored.number;
      return S_OK;
    case VT_DISPATCH:
      return HandOut(stored.object, &V_DISPATCH(value));
    default:
      return S_OK;
  }
}

HRESULT FakeElement::setAttribute(BSTR name, VARIANT value, LONG flags) {
  SetAttributeCall call{TextOf(name), V_VT(&value), {}, flags};
  if (V_VT(&value) == VT_BSTR) call.text = TextOf(V_BSTR(&value));
  m_sets.push_back(call);
  if (FAILED(m_hrSetAttribute)) return m_hrSetAttribute;
  if (V_VT(&value) != VT_BSTR) return E_INVALIDARG;
  SetPageAttribute(call.name, AttributeValue::Text(call.text));
  return S_OK;
}

bool FakeElement::Answers(REFIID iid) const { return IsDispatch(iid) || IsEqualIID(iid, IID_IHTMLElement); }

HRESULT FakeCollection::get_length(LONG* p) {
  if (!p) return E_POINTER;
  *p = 0;
  if (FAILED(m_hrLength)) return m_hrLength;
  *p = static_cast<LONG>(m_entries.size());
  return S_OK;
}

HRESULT FakeCollection::item(VARIANT name, VARIANT index, IDispatch** element) {
  m_items.push_back({V_VT(&name), V_VT(&name) == VT_I4 ? V_I4(&name) : -1, V_VT(&index)});
  if (!element) return E_POINTER;
  *element = nullptr;
  if (V_VT(&name) != VT_I4 || V_I4(&name) < 0 || static_cast<std::size_t>(V_I4(&name)) >= m_entries.size())
    return E_INVALIDARG;
  const Entry& entry = m_entries[static_cast<std::size_t>(V_I4(&name))];
  if (FAILED(entry.result)) return entry.result;
  return HandOut(entry.object, element);
}

bool FakeCollection::Answers(REFIID iid) const {
  return IsDispatch(iid) || IsEqualIID(iid, IID_IHTMLElementCollection);
}

HRESULT FakeWindow::execScript(BSTR code, BSTR language, VARIANT* result) {
  m_scripts.push_back({TextOf(code), TextOf(language)});
  if (result) VariantInit(result);
  return m_hrExecScript;
}

bool FakeWindow::Answers(REFIID iid) const {
  return IsDispatch(iid) || IsEqualIID(iid, IID_IHTMLFramesCollection2) || IsEqualIID(iid, IID_IHTMLWindow2);
}

HRESULT FakeDocument::get_all(IHTMLElementCollection** p) {
  if (!p) return E_POINTER;
  *p = nullptr;
  if (FAILED(m_hrAll)) return m_hrAll;
  return HandOut(m_all, p);
}

HRESULT FakeDocument::get_parentWindow(IHTMLWindow2** p) {
  if (!p) return E_POINTER;
  *p = nullptr;
  if (FAILED(m_hrParentWindow)) return m_hrParentWindow;
  return HandOut(m_window, p);
}

bool FakeDocument::Answers(REFIID iid) const {
  return IsDispatch(iid) || (m_bHtml && (IsEqualIID(iid, IID_IHTMLDocument) || IsEqualIID(iid, IID_IHTMLDocument2)));
}

HRESULT FakeFrame::get_Document(IDispatch** p) {
  ++m_nDocumentReads;
  if (!p) return E_POINTER;
  *p = nullptr;
  if (FAILED(m_hrDocument)) return m_hrDocument;
  return HandOut(m_document, p);
}

bool FakeFrame::Answers(REFIID iid) const {
  return IsDispatch(iid) || (m_bBrowser && (IsEqualIID(iid, IID_IWebBrowser) || IsEqualIID(iid, IID_IWebBrowserApp) ||
                                            IsEqualIID(iid, IID_IWebBrowser2)));
}

}  // namespace lirra::test
