// An owned reference to a COM interface: released when it goes, added to when copied.
#pragma once
#ifdef _WIN32

#include <unknwn.h>

#include <utility>

namespace rt {

template <class T> class ComPtr;

// &ptr of a ComPtr: an out parameter (the reference held before is released), or the ComPtr itself for As().
template <class T> class ComRef {
public:
    explicit ComRef(ComPtr<T>* c) : c_(c) {}
    operator T**() const { return c_->ReleaseAndGetAddressOf(); }
    operator void**() const { return reinterpret_cast<void**>(c_->ReleaseAndGetAddressOf()); }
    operator ComPtr<T>*() const { return c_; }

private:
    ComPtr<T>* c_;
};

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // Takes over a reference that the caller holds.
    void Attach(T* p) {
        Reset();
        p_ = p;
    }
    // The slot for an out parameter; the reference held before is released.
    T** ReleaseAndGetAddressOf() {
        Reset();
        return &p_;
    }
    T** GetAddressOf() { return &p_; }

    // The same object's interface U into out; out is emptied first.
    template <class U> HRESULT As(ComPtr<U>* out) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(out->ReleaseAndGetAddressOf()));
    }

    template <class U> HRESULT As(ComRef<U> out) const { return As(static_cast<ComPtr<U>*>(out)); }

    ComRef<T> operator&() { return ComRef<T>(this); }

private:
    T* p_ = nullptr;
};

} // namespace rt

#endif
