// Owning wrappers for kernel handles and BSTRs.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace qs::com {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset(HANDLE h = nullptr) {
        if (h_) CloseHandle(h_);
        h_ = h;
    }
    HANDLE release() { return std::exchange(h_, nullptr); }

private:
    HANDLE h_ = nullptr;
};

class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(BSTR s) : s_(s) {}
    UniqueBstr(UniqueBstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept {
        reset(std::exchange(other.s_, nullptr));
        return *this;
    }
    ~UniqueBstr() { reset(); }

    BSTR get() const { return s_; }
    explicit operator bool() const { return s_ != nullptr; }
    void reset(BSTR s = nullptr) {
        if (s_) SysFreeString(s_);
        s_ = s;
    }
    BSTR release() { return std::exchange(s_, nullptr); }

private:
    BSTR s_ = nullptr;
};

}  // namespace qs::com
