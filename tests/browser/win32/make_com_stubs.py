#!/usr/bin/env python3
"""Writes stub classes for the browser's COM interfaces, for the test fakes.

A fake of IHTMLDocument2 needs only a handful of its hundred methods, but C++ wants every pure
virtual overridden. For each interface named below this reads the toolchain's own declaration
(MinGW-w64's mshtml.h and exdisp.h) and writes a class that implements every method of the
interface and of its bases above IUnknown by calling UnexpectedCall("Interface::method"). A
fake derives from the stub, implements IUnknown and overrides what it answers; anything else
the client calls shows up as an unexpected call instead of a crash.

  make_com_stubs.py OUTPUT HEADER...
"""
import os
import re
import sys

INTERFACES = ["IHTMLDocument2", "IHTMLElement", "IHTMLElementCollection", "IHTMLWindow2", "IWebBrowser2"]

DISPATCH = [
    ("GetTypeInfoCount", ["UINT *pctinfo"]),
    ("GetTypeInfo", ["UINT iTInfo", "LCID lcid", "ITypeInfo **ppTInfo"]),
    ("GetIDsOfNames", ["REFIID riid", "LPOLESTR *rgszNames", "UINT cNames", "LCID lcid", "DISPID *rgDispId"]),
    ("Invoke", ["DISPID dispIdMember", "REFIID riid", "LCID lcid", "WORD wFlags", "DISPPARAMS *pDispParams",
                "VARIANT *pVarResult", "EXCEPINFO *pExcepInfo", "UINT *puArgErr"]),
]

METHOD = re.compile(r"virtual HRESULT STDMETHODCALLTYPE (\w+)\((.*?)\) = 0;", re.S)


def declarations(texts):
    """Interface name -> (base, [(method, [parameter...])]) from the C++ half of the headers."""
    found = {}
    block = re.compile(r"^(\w+) : public (\w+)\n\{\n(.*?)^\};", re.S | re.M)
    for text in texts:
        for name, base, body in block.findall(text):
            methods = []
            for method, parameters in METHOD.findall(body):
                parts = [p.strip() for p in parameters.split(",") if p.strip()]
                methods.append((method, parts))
            found.setdefault(name, (base, methods))
    return found


def unnamed(parameter):
    """'BSTR language = L"JScript"' -> 'BSTR /*language*/': no default, no unused name."""
    parameter = parameter.split("=")[0].strip()
    match = re.match(r"(.*?)(\w+)$", parameter, re.S)
    if not match:
        sys.exit(f"make_com_stubs: can't read the parameter {parameter!r}")
    return f"{match.group(1).strip()} /*{match.group(2)}*/"


def chain(name, found):
    """The interface and its bases down to IDispatch, base first."""
    links = []
    while name != "IDispatch":
        if name not in found:
            sys.exit(f"make_com_stubs: no declaration of {name} in the headers given")
        links.append(name)
        name = found[name][0]
    return list(reversed(links))


def stub(name, found):
    lines = [f"class Stub{name} : public {name} {{", " public:"]
    for owner, methods in [("IDispatch", DISPATCH)] + [(link, found[link][1]) for link in chain(name, found)]:
        for method, parameters in methods:
            signature = ", ".join(unnamed(p) for p in parameters)
            lines.append(f"  HRESULT STDMETHODCALLTYPE {method}({signature}) override {{")
            lines.append(f'    return UnexpectedCall("{owner}::{method}");')
            lines.append("  }")
    lines.append("};")
    return "\n".join(lines)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    texts = []
    for header in sys.argv[2:]:
        with open(header, encoding="utf-8", errors="replace") as f:
            texts.append(f.read())
    found = declarations(texts)
    out = [
        "// Written by make_com_stubs.py from the toolchain's headers; do not edit.",
        "#pragma once",
        "",
        "#include <windows.h>",
        "// after windows.h",
        "#include <exdisp.h>",
        "#include <mshtml.h>",
        "",
        "namespace lirra::test {",
        "",
        "// Called by every stubbed method; records the call and answers E_NOTIMPL.",
        "HRESULT UnexpectedCall(const char* method);",
        "",
    ]
    out += [stub(name, found) + "\n" for name in INTERFACES]
    out.append("}  // namespace lirra::test")
    text = "\n".join(out) + "\n"
    try:
        with open(sys.argv[1], encoding="utf-8") as f:
            if f.read() == text:
                return 0
    except OSError:
        pass
    os.makedirs(os.path.dirname(os.path.abspath(sys.argv[1])), exist_ok=True)
    with open(sys.argv[1], "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
