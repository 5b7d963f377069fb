// Scoped ownership of what Windows hands out and wants back: kernel handles, find and change-notification
// handles, registry keys, menus, icons, local memory, BSTRs, VARIANTs, task-allocator memory and COM initialisation.
// COM interface pointers use Microsoft::WRL::ComPtr (<wrl/client.h>); GDI objects and DCs are in gdi.h.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

namespace qs::win {

// Owns one value of Traits::Type and gives it back with Traits::close. Moves, never copies.
template <class Traits>
class Unique {
public:
    using Type = typename Traits::Type;

    Unique() = default;
    explicit Unique(Type value) : value_(value) {}
    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~Unique() { reset(); }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::invalid(); }
    void reset(Type value = Traits::invalid()) {
        Type old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    Type release() { return std::exchange(value_, Traits::invalid()); }
    // For an out-parameter: gives back what is held, then lends the slot.
    Type* put() {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::invalid();
};

namespace traits {
struct Handle {  // CreateEvent, CreateThread, OpenProcess ...: null when there is none
    using Type = HANDLE;
    static Type invalid() { return nullptr; }
    static void close(Type h) { CloseHandle(h); }
};
struct File {  // CreateFile: INVALID_HANDLE_VALUE when there is none
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { CloseHandle(h); }
};
struct Find {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { FindClose(h); }
};
struct ChangeNotification {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { FindCloseChangeNotification(h); }
};
struct RegKey {
    using Type = HKEY;
    static Type invalid() { return nullptr; }
    static void close(Type h) { RegCloseKey(h); }
};
struct Menu {
    using Type = HMENU;
    static Type invalid() { return nullptr; }
    static void close(Type h) { DestroyMenu(h); }
};
struct Bstr {
    using Type = BSTR;
    static Type invalid() { return nullptr; }
    static void close(Type s) { SysFreeString(s); }
};
struct Icon {  // CreateIconIndirect, LoadImage(IMAGE_ICON)
    using Type = HICON;
    static Type invalid() { return nullptr; }
    static void close(Type h) { DestroyIcon(h); }
};
struct LocalMem {  // LocalAlloc, CommandLineToArgvW, FormatMessage(ALLOCATE_BUFFER)
    using Type = HLOCAL;
    static Type invalid() { return nullptr; }
    static void close(Type h) { LocalFree(h); }
};
struct CoTaskMem {
    using Type = void*;
    static Type invalid() { return nullptr; }
    static void close(Type p) { CoTaskMemFree(p); }
};
}  // namespace traits

using UniqueHandle = Unique<traits::Handle>;
using UniqueFile = Unique<traits::File>;
using UniqueFind = Unique<traits::Find>;
using UniqueChangeNotification = Unique<traits::ChangeNotification>;
using UniqueRegKey = Unique<traits::RegKey>;
using UniqueMenu = Unique<traits::Menu>;
using UniqueIcon = Unique<traits::Icon>;
using UniqueLocal = Unique<traits::LocalMem>;

class UniqueBstr : public Unique<traits::Bstr> {
public:
    using Unique::Unique;
    // A copy of `text`; empty (no string) when memory runs out.
    static UniqueBstr from(std::wstring_view text) {
        return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    }
};

// Memory the COM task allocator handed out (an item list, a string), typed for the caller.
template <class T>
class UniqueCoTaskMem : public Unique<traits::CoTaskMem> {
public:
    using Unique::Unique;
    T* get() const { return static_cast<T*>(Unique::get()); }
    T** put() { return reinterpret_cast<T**>(Unique::put()); }
};

// A VARIANT that is cleared when it goes. Starts empty (VT_EMPTY).
class UniqueVariant {
public:
    UniqueVariant() { VariantInit(&value_); }
    ~UniqueVariant() { VariantClear(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    VARIANT* operator->() { return &value_; }
    const VARIANT* operator->() const { return &value_; }
    // Clears what is held and lends the variant for an out-parameter.
    VARIANT* put() {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

// COM on this thread for the object's life. A thread already in an apartment keeps it: S_FALSE still
// takes its matching CoUninitialize, RPC_E_CHANGED_MODE (the other model) takes none.
class ComInit {
public:
    explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    ~ComInit() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;

    HRESULT result() const { return hr_; }
    // COM can be used on this thread, in this apartment or the one it had.
    bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

}  // namespace qs::win
