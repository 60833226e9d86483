#pragma once

// RAII owners for Win32 and COM resources: one template for every handle kind, plus the
// BSTR and VARIANT owners. Copying is deleted, moving allowed, Detach() hands the resource
// over. COM interface pointers are held by host::Ref (see ComPtr).

#include <windows.h>

#include <oleauto.h>

#include <utility>

#include "host/ref.h"

namespace tarvex::win {

/// Owns one handle described by Traits: `Handle`, `Invalid()` and `Close(handle)`.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept
        : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_handle, Traits::Invalid()));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != Traits::Invalid(); }

    /// Closes the held handle and holds `handle` instead.
    void Reset(Handle handle = Traits::Invalid()) noexcept {
        Handle old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

    [[nodiscard]] Handle Detach() noexcept { return std::exchange(m_handle, Traits::Invalid()); }

    /// Closes the held handle and returns the slot for an out-parameter.
    Handle* Put() noexcept {
        Reset();
        return &m_handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

namespace traits {
template <class H, auto CloseFunction>
struct NullInvalid {
    using Handle = H;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { CloseFunction(handle); }
};

struct Kernel {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept {
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
};

inline void CloseKey(HKEY key) noexcept {
    ::RegCloseKey(key);
}
inline void DestroyWindowHandle(HWND window) noexcept {
    ::DestroyWindow(window);
}
inline void DeleteGdiObject(HGDIOBJ object) noexcept {
    ::DeleteObject(object);
}
inline void DeleteDeviceContext(HDC dc) noexcept {
    ::DeleteDC(dc);
}
inline void FreeGlobal(HGLOBAL memory) noexcept {
    ::GlobalFree(memory);
}
inline void CloseLibrary(HMODULE library) noexcept {
    ::FreeLibrary(library);
}
inline void FreeBstr(BSTR text) noexcept {
    ::SysFreeString(text);
}
inline void DestroyIconHandle(HICON icon) noexcept {
    ::DestroyIcon(icon);
}
} // namespace traits

/// A registry key opened or created by the add-in (never a predefined root key).
using UniqueHkey = UniqueHandle<traits::NullInvalid<HKEY, traits::CloseKey>>;
using UniqueHwnd = UniqueHandle<traits::NullInvalid<HWND, traits::DestroyWindowHandle>>;
template <class GdiHandle>
using UniqueGdiObject = UniqueHandle<traits::NullInvalid<GdiHandle, traits::DeleteGdiObject>>;
using UniqueHbitmap = UniqueGdiObject<HBITMAP>;
/// A memory device context from CreateCompatibleDC.
using UniqueHdc = UniqueHandle<traits::NullInvalid<HDC, traits::DeleteDeviceContext>>;
using UniqueHglobal = UniqueHandle<traits::NullInvalid<HGLOBAL, traits::FreeGlobal>>;
using UniqueHmodule = UniqueHandle<traits::NullInvalid<HMODULE, traits::CloseLibrary>>;
using UniqueHicon = UniqueHandle<traits::NullInvalid<HICON, traits::DestroyIconHandle>>;
using UniqueKernelHandle = UniqueHandle<traits::Kernel>;
using UniqueBstr = UniqueHandle<traits::NullInvalid<BSTR, traits::FreeBstr>>;

/// The exported function `name` of `library` as a pointer of type Function, or null.
template <class Function>
Function ProcAddress(HMODULE library, const char* name) noexcept {
    // Through a generic function pointer: FARPROC and the real signature are unrelated types.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

/// A counted reference to a real COM interface.
template <class Interface>
using ComPtr = host::Ref<Interface>;

/// Owns a VARIANT: initialised empty, cleared with VariantClear.
class UniqueVariant {
public:
    UniqueVariant() noexcept { ::VariantInit(&m_value); }
    UniqueVariant(UniqueVariant&& other) noexcept
        : m_value(other.m_value) {
        ::VariantInit(&other.m_value);
    }
    UniqueVariant& operator=(UniqueVariant&& other) noexcept {
        if (this != &other) {
            Reset();
            m_value = other.m_value;
            ::VariantInit(&other.m_value);
        }
        return *this;
    }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { Reset(); }

    VARIANT& Get() noexcept { return m_value; }
    const VARIANT& Get() const noexcept { return m_value; }
    /// Clears the held value and returns the variant for an out-parameter.
    VARIANT* Put() noexcept {
        Reset();
        return &m_value;
    }
    void Reset() noexcept {
        ::VariantClear(&m_value);
        ::VariantInit(&m_value);
    }
    /// Hands the value over to `target`, which must be cleared by its new owner.
    [[nodiscard]] VARIANT Detach() noexcept {
        VARIANT value = m_value;
        ::VariantInit(&m_value);
        return value;
    }

private:
    VARIANT m_value;
};

} // namespace tarvex::win
