// The page's document: a body and a root element that scroll the page, answering scrollTop and scrollHeight.
#include "standin.h"

namespace standin {
namespace {

Element* fromElement(IHTMLElement* p) {
    return CONTAINING_RECORD(p, Element, element);
}
Element* fromElement2(IHTMLElement2* p) {
    return CONTAINING_RECORD(p, Element, element2);
}
Document* fromDocument2(IHTMLDocument2* p) {
    return CONTAINING_RECORD(p, Document, document2);
}
Document* fromDocument3(IHTMLDocument3* p) {
    return CONTAINING_RECORD(p, Document, document3);
}

HRESULT elementQuery(Element* e, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IHTMLElement))
        *out = &e->element;
    else if (IsEqualIID(iid, IID_IHTMLElement2))
        *out = &e->element2;
    else
        return E_NOINTERFACE;
    e->owner->lpVtbl->AddRef(e->owner);
    return S_OK;
}

HRESULT documentQuery(Document* d, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IHTMLDocument2) ||
        IsEqualIID(iid, IID_IHTMLDocument))
        *out = &d->document2;
    else if (IsEqualIID(iid, IID_IHTMLDocument3))
        *out = &d->document3;
    else
        return E_NOINTERFACE;
    d->owner->lpVtbl->AddRef(d->owner);
    return S_OK;
}

// The page scrolls between its top and the position that leaves the last page area height in view.
void scrollTo(Element* e, LONG position) {
    RECT view{};
    GetClientRect(e->page, &view);
    LONG last = kPageHeight - (view.bottom - view.top);
    e->scrollTop = position < 0 ? 0 : position > last ? last : position;
    *e->mirror = e->scrollTop;
    wakeClient();
}

// IUnknown of each interface, answered by the object that holds it.
#define UNKNOWN_OF(Iface, Holder, from, query)                                                                         \
    HRESULT STDMETHODCALLTYPE Iface##Query(Iface* p, REFIID iid, void** out) {                                         \
        return query(from(p), iid, out);                                                                               \
    }                                                                                                                  \
    ULONG STDMETHODCALLTYPE Iface##AddRef(Iface* p) {                                                                  \
        return from(p)->owner->lpVtbl->AddRef(from(p)->owner);                                                         \
    }                                                                                                                  \
    ULONG STDMETHODCALLTYPE Iface##Release(Iface* p) {                                                                 \
        return from(p)->owner->lpVtbl->Release(from(p)->owner);                                                        \
    }
UNKNOWN_OF(IHTMLElement, Element, fromElement, elementQuery)
UNKNOWN_OF(IHTMLElement2, Element, fromElement2, elementQuery)
UNKNOWN_OF(IHTMLDocument2, Document, fromDocument2, documentQuery)
UNKNOWN_OF(IHTMLDocument3, Document, fromDocument3, documentQuery)
#undef UNKNOWN_OF

HRESULT STDMETHODCALLTYPE scrollHeight(IHTMLElement2*, LONG* height) {
    if (!height) return E_POINTER;
    *height = kPageHeight;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE getScrollTop(IHTMLElement2* p, LONG* top) {
    if (!top) return E_POINTER;
    *top = fromElement2(p)->scrollTop;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE putScrollTop(IHTMLElement2* p, LONG top) {
    scrollTo(fromElement2(p), top);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE body(IHTMLDocument2* p, IHTMLElement** out) {
    if (!out) return E_POINTER;
    *out = &fromDocument2(p)->body.element;
    IHTMLElement_AddRef(*out);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE documentElement(IHTMLDocument3* p, IHTMLElement** out) {
    if (!out) return E_POINTER;
    *out = &fromDocument3(p)->root.element;
    IHTMLElement_AddRef(*out);
    return S_OK;
}

IHTMLElementVtbl elementTable;
IHTMLElement2Vtbl element2Table;
IHTMLDocument2Vtbl document2Table;
IHTMLDocument3Vtbl document3Table;

#define SET_UNKNOWN(table, Iface)                                                                                      \
    fillWithTraps(table);                                                                                              \
    table.QueryInterface = Iface##Query;                                                                               \
    table.AddRef = Iface##AddRef;                                                                                      \
    table.Release = Iface##Release

void makeTables() {
    SET_UNKNOWN(elementTable, IHTMLElement);
    SET_UNKNOWN(element2Table, IHTMLElement2);
    element2Table.get_scrollHeight = scrollHeight;
    element2Table.get_scrollTop = getScrollTop;
    element2Table.put_scrollTop = putScrollTop;
    SET_UNKNOWN(document2Table, IHTMLDocument2);
    document2Table.get_body = body;
    SET_UNKNOWN(document3Table, IHTMLDocument3);
    document3Table.get_documentElement = documentElement;
}
#undef SET_UNKNOWN

void initElement(Element& e, IUnknown* owner, HWND page, volatile LONG* mirror) {
    e.element.lpVtbl = &elementTable;
    e.element2.lpVtbl = &element2Table;
    e.owner = owner;
    e.page = page;
    e.mirror = mirror;
    e.scrollTop = 0;
    *mirror = 0;
}

} // namespace

void initDocument(Document& document, IUnknown* owner, HWND page) {
    makeTables();
    document.document2.lpVtbl = &document2Table;
    document.document3.lpVtbl = &document3Table;
    document.owner = owner;
    initElement(document.body, owner, page, &shared->bodyScrollTop);
    initElement(document.root, owner, page, &shared->rootScrollTop);
}

} // namespace standin
