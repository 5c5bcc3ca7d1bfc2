#include "browser/win32/html_document.h"

// after windows.h
#include <exdisp.h>
#include <mshtml.h>

#include "browser/win32/com.h"

namespace lirra::win {
namespace {

// The "all" collection of a document, element by element.
class CHtmlElements : public browser::IPageElements {
 public:
  CHtmlElements(ComPtr<IHTMLElementCollection> all, long length) : m_all(std::move(all)), m_nLength(length) {}

  std::size_t Count() override { return m_nLength > 0 ? static_cast<std::size_t>(m_nLength) : 0; }

  std::optional<std::wstring> TagName(std::size_t index) override {
    IHTMLElement* element = Element(index);
    ScopedBstr tag;
    if (!element || FAILED(element->get_tagName(tag.Receive())) || !tag.Get()) return std::nullopt;
    return tag.Text();
  }

  std::optional<std::wstring> TextAttribute(std::size_t index, const std::wstring& name) override {
    IHTMLElement* element = Element(index);
    if (!element) return std::nullopt;
    ScopedBstr attribute(name);
    ScopedVariant value;
    if (FAILED(element->getAttribute(attribute.Get(), 0, value.Get()))) return std::nullopt;
    if (V_VT(&value.Value()) != VT_BSTR) return std::nullopt;
    BSTR text = V_BSTR(&value.Value());
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  }

  void SetAttribute(std::size_t index, const std::wstring& name, const std::wstring& value) override {
    IHTMLElement* element = Element(index);
    if (!element) return;
    ScopedBstr attribute(name);
    ScopedVariant text;
    V_VT(text.Get()) = VT_BSTR;
    V_BSTR(text.Get()) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    // Flag 1: the attribute name is matched case-sensitively.
    element->setAttribute(attribute.Get(), text.Value(), 1);
  }

 private:
  // The element at `index`, fetched once for the reads and the write that follow.
  IHTMLElement* Element(std::size_t index) {
    if (m_nCurrent == index && m_current) return m_current.Get();
    m_current.Reset();
    m_nCurrent = index;
    VARIANT name;
    VariantInit(&name);
    V_VT(&name) = VT_I4;
    V_I4(&name) = static_cast<LONG>(index);
    VARIANT noIndex;
    VariantInit(&noIndex);
    ComPtr<IDispatch> item;
    if (FAILED(m_all->item(name, noIndex, item.Receive())) || !item) return nullptr;
    m_current = item.As<IHTMLElement>(IID_IHTMLElement);
    return m_current.Get();
  }

  ComPtr<IHTMLElementCollection> m_all;
  long m_nLength;
  std::size_t m_nCurrent = static_cast<std::size_t>(-1);
  ComPtr<IHTMLElement> m_current;
};

ComPtr<IHTMLDocument2> HtmlDocumentOf(IDispatch* document) {
  ComPtr<IHTMLDocument2> html;
  if (document && FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(html.Receive()))))
    html.Reset();
  return html;
}

}  // namespace

std::unique_ptr<browser::IPageElements> OpenDocumentElements(IDispatch* browserObject) {
  if (!browserObject) return nullptr;
  ComPtr<IWebBrowser2> browser;
  if (FAILED(browserObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(browser.Receive()))) || !browser)
    return nullptr;
  ComPtr<IDispatch> document;
  if (FAILED(browser->get_Document(document.Receive())) || !document) return nullptr;
  ComPtr<IHTMLDocument2> html = HtmlDocumentOf(document.Get());
  if (!html) return nullptr;
  ComPtr<IHTMLElementCollection> all;
  if (FAILED(html->get_all(all.Receive())) || !all) return nullptr;
  long length = 0;
  if (FAILED(all->get_length(&length))) return nullptr;
  return std::make_unique<CHtmlElements>(std::move(all), length);
}

bool RunScriptInDocument(IDispatch* document, const std::wstring& code, const std::wstring& language) {
  ComPtr<IHTMLDocument2> html = HtmlDocumentOf(document);
  if (!html) return false;
  ComPtr<IHTMLWindow2> window;
  if (FAILED(html->get_parentWindow(window.Receive())) || !window) return false;
  ScopedBstr script(code);
  ScopedBstr scriptLanguage(language);
  ScopedVariant result;
  return SUCCEEDED(window->execScript(script.Get(), scriptLanguage.Get(), result.Get()));
}

bool RunScriptInTopDocument(CExplorer1& browser, const std::wstring& code, const std::wstring& language) {
  ComPtr<IDispatch> document = browser.GetDocument();
  return RunScriptInDocument(document.Get(), code, language);
}

}  // namespace lirra::win
