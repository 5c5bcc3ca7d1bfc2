// Stand-ins for the objects the WebBrowser control hands to the client: a frame (IWebBrowser2),
// its document (IHTMLDocument2) with the "all" collection and a window, and the elements. Each
// records what the client asked of it and counts its references; none deletes itself, so a test
// owns them all and checks afterwards that every reference the client took came back.
//
// Every object starts with one reference, the test's own. Each one can be told to fail the calls
// that the client makes, the way a half-loaded or odd page does.
#pragma once

#include <windows.h>
// after windows.h
#include <exdisp.h>
#include <mshtml.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com_stubs.h"

namespace lirra::test {

// The methods the stubs answered, in order; a test expects none.
std::vector<std::string>& UnexpectedCalls();

// IUnknown with a reference count that only counts. An over-release shows as a count below the
// start instead of freeing the object under the test's feet.
template <typename Stub>
class Counted : public Stub {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_nReferences); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_nReferences); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!Answers(iid)) return E_NOINTERFACE;
    *object = static_cast<Stub*>(this);
    AddRef();
    return S_OK;
  }
  // The test's own reference is 1; every other one is the client's.
  LONG References() const { return m_nReferences; }

 protected:
  virtual bool Answers(REFIID iid) const = 0;

 private:
  LONG m_nReferences = 1;
};

// An object that is a dispatch object and nothing more (a text node, a comment, a function).
// The stub under it is only its vtable: it answers IDispatch and IUnknown alone.
class FakeDispatch : public Counted<StubIHTMLElementCollection> {
 protected:
  bool Answers(REFIID iid) const override;
};

// One VARIANT as a test writes it: text, or another kind with an optional object in it.
struct AttributeValue {
  VARTYPE type = VT_BSTR;
  std::wstring text;
  LONG number = 0;
  IDispatch* object = nullptr;  // for VT_DISPATCH; the test owns it

  static AttributeValue Text(std::wstring value) { return {VT_BSTR, std::move(value), 0, nullptr}; }
};

struct GetAttributeCall {
  std::wstring name;
  LONG flags;
};

struct SetAttributeCall {
  std::wstring name;
  VARTYPE type;
  std::wstring text;  // the value when it was text
  LONG flags;
};

class FakeElement : public Counted<StubIHTMLElement> {
 public:
  explicit FakeElement(std::wstring tagName) : m_strTagName(std::move(tagName)) {}

  // An attribute the page has; without one, getAttribute answers VT_NULL as the engine does.
  void SetPageAttribute(const std::wstring& name, AttributeValue value);
  std::optional<std::wstring> PageText(const std::wstring& name) const;

  HRESULT m_hrTagName = S_OK;
  bool m_bNullTagName = false;
  HRESULT m_hrGetAttribute = S_OK;
  HRESULT m_hrSetAttribute = S_OK;
  std::vector<GetAttributeCall> m_gets;
  std::vector<SetAttributeCall> m_sets;
  int m_nTagNameReads = 0;

  HRESULT STDMETHODCALLTYPE get_tagName(BSTR* p) override;
  HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, LONG flags, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value, LONG flags) override;

 protected:
  bool Answers(REFIID iid) const override;

 private:
  struct Attribute {
    std::wstring name;
    AttributeValue value;
  };
  Attribute* Find(const std::wstring& name);
  const Attribute* Find(const std::wstring& name) const;

  std::wstring m_strTagName;
  std::vector<Attribute> m_attributes;
};

struct ItemCall {
  VARTYPE nameType;
  LONG name;  // when nameType is VT_I4
  VARTYPE indexType;
};

// The "all" collection: one entry per index. An entry answers with its object, with no object,
// or with a failure.
class FakeCollection : public Counted<StubIHTMLElementCollection> {
 public:
  struct Entry {
    IDispatch* object = nullptr;  // the test owns it
    HRESULT result = S_OK;
  };
  std::vector<Entry> m_entries;
  HRESULT m_hrLength = S_OK;
  std::vector<ItemCall> m_items;

  HRESULT STDMETHODCALLTYPE get_length(LONG* p) override;
  HRESULT STDMETHODCALLTYPE item(VARIANT name, VARIANT index, IDispatch** element) override;

 protected:
  bool Answers(REFIID iid) const override;
};

struct ScriptCall {
  std::wstring code;
  std::wstring language;
};

class FakeWindow : public Counted<StubIHTMLWindow2> {
 public:
  HRESULT m_hrExecScript = S_OK;
  std::vector<ScriptCall> m_scripts;

  HRESULT STDMETHODCALLTYPE execScript(BSTR code, BSTR language, VARIANT* result) override;

 protected:
  bool Answers(REFIID iid) const override;
};

class FakeDocument : public Counted<StubIHTMLDocument2> {
 public:
  FakeCollection* m_all = nullptr;  // the test owns it, and the window
  FakeWindow* m_window = nullptr;
  HRESULT m_hrAll = S_OK;
  HRESULT m_hrParentWindow = S_OK;
  bool m_bHtml = true;  // answers IHTMLDocument2 (an XML or a PDF document does not)

  HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection** p) override;
  HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override;

 protected:
  bool Answers(REFIID iid) const override;
};

// The browser object of the control or of one of its frames.
class FakeFrame : public Counted<StubIWebBrowser2> {
 public:
  FakeDocument* m_document = nullptr;  // the test owns it
  HRESULT m_hrDocument = S_OK;
  bool m_bBrowser = true;  // answers IWebBrowser2
  int m_nDocumentReads = 0;

  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** p) override;

 protected:
  bool Answers(REFIID iid) const override;
};

}  // namespace lirra::test
