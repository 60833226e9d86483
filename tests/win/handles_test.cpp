// The RAII owners release what they own, exactly once.

#include <gtest/gtest.h>

#include "host/win/handles.h"
#include "tests/win/raw_com.h"

namespace tarvex::win {
namespace {

TEST(Handles, RegistryKeyIsClosedAndMovable) {
    const wchar_t* path = L"Software\\Tarvex Tests\\Handles";
    UniqueHkey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                key.Put(), nullptr),
              ERROR_SUCCESS);
    UniqueHkey moved = std::move(key);
    EXPECT_FALSE(key);
    EXPECT_TRUE(moved);
    const HKEY raw = moved.Get();
    moved.Reset();
    DWORD subkeys = 0;
    EXPECT_NE(::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS)
        << "the handle is closed";
    // Only its own key: the registry tests work below the same parent at the same time.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, path);
}

TEST(Handles, WindowAndGdiObjectsAreDestroyed) {
    HWND raw = nullptr;
    {
        UniqueHwnd window(::CreateWindowExW(0, L"STATIC", L"owner", 0, 0, 0, 10, 10, nullptr,
                                            nullptr, nullptr, nullptr));
        ASSERT_TRUE(window) << "no window: is an X display available?";
        raw = window.Get();
        EXPECT_TRUE(::IsWindow(raw));
    }
    EXPECT_FALSE(::IsWindow(raw));

    HBITMAP bitmap = nullptr;
    {
        UniqueHbitmap owned(::CreateBitmap(16, 16, 1, 32, nullptr));
        bitmap = owned.Get();
        EXPECT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
        UniqueHbitmap detached(owned.Detach());
        EXPECT_FALSE(owned);
    }
    EXPECT_EQ(::GetObjectType(bitmap), 0u);
}

TEST(Handles, GlobalMemoryAndLibrariesAreFreed) {
    UniqueHglobal memory(::GlobalAlloc(GMEM_MOVEABLE, 64));
    ASSERT_TRUE(memory);
    EXPECT_EQ(::GlobalSize(memory.Get()), 64u);
    memory.Reset();
    EXPECT_FALSE(memory);

    UniqueHmodule library(::LoadLibraryW(L"version.dll"));
    ASSERT_TRUE(library);
    EXPECT_NE(::GetProcAddress(library.Get(), "GetFileVersionInfoSizeW"), nullptr);
}

TEST(Handles, VariantAndBstrOwnersReleaseTheirValues) {
    testing::RawDispatch object;
    {
        UniqueVariant value;
        value.Get().vt = VT_DISPATCH;
        object.AddRef();
        value.Get().pdispVal = &object;
        EXPECT_EQ(object.Count(), 2u);
        UniqueVariant moved = std::move(value);
        EXPECT_EQ(value.Get().vt, VT_EMPTY);
    }
    EXPECT_EQ(object.Count(), 1u) << "VariantClear released the object once";

    UniqueBstr text(::SysAllocString(L"Tarvex"));
    EXPECT_EQ(::SysStringLen(text.Get()), 6u);
    BSTR taken = text.Detach();
    EXPECT_FALSE(text);
    ::SysFreeString(taken);
}

} // namespace
} // namespace tarvex::win
