// The real clipboard through Win32Desktop: sessions that wait for another holder, formats
// copied and put back, GDI formats left alone; and a button face painted the Office 2000
// way, through the real clipboard, with the user's text and private data surviving it.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>

#include "base/error.h"
#include "framework/command_bar.h"
#include "framework/command_bar_button.h"
#include "framework/command_bar_glyph.h"
#include "framework/module.h"
#include "host/clipboard.h"
#include "host/win/desktop.h"
#include "host/win/handles.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_in_excel.h"
#include "tests/win/bitmap_pixels.h"

namespace tarvex::win {
namespace {

using testing::PixelsOf;
using testing::TestGlyph;

const std::wstring kUserText = L"the user's text";
const std::vector<std::uint8_t> kPrivateBytes{9, 8, 7, 6, 5, 4, 3, 2, 1};

class RealClipboard : public ::testing::Test {
protected:
    void SetUp() override {
        // The clipboard is one for every test program of the Wine prefix: tests run in
        // parallel take turns through a mutex that all of them name.
        lock.Reset(::CreateMutexW(nullptr, FALSE, L"Local\\TarvexRealClipboardTests"));
        ASSERT_TRUE(lock);
        const DWORD waited = ::WaitForSingleObject(lock.Get(), 120000);
        ASSERT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED);
        locked = true;
        privateFormat = ::RegisterClipboardFormatW(L"Tarvex test private data");
        ASSERT_NE(privateFormat, 0u);
        ASSERT_TRUE(::OpenClipboard(nullptr));
        ::EmptyClipboard();
        ::CloseClipboard();
    }

    /// The user's clipboard: text, private data, a palette and a bitmap. (Wine refuses data
    /// in the private GDI range, which the simulated clipboard's tests cover.)
    void FillAsTheUser() {
        ASSERT_TRUE(::OpenClipboard(nullptr));
        ::EmptyClipboard();
        PutMemory(CF_UNICODETEXT, kUserText.c_str(), (kUserText.size() + 1) * sizeof(wchar_t));
        PutMemory(privateFormat, kPrivateBytes.data(), kPrivateBytes.size());
        struct {
            LOGPALETTE header;
            PALETTEENTRY more[1];
        } palette{{0x300, 2, {{1, 2, 3, 0}}}, {{4, 5, 6, 0}}};
        EXPECT_TRUE(::SetClipboardData(CF_PALETTE, ::CreatePalette(&palette.header)));
        EXPECT_TRUE(::SetClipboardData(CF_BITMAP, ::CreateBitmap(4, 4, 1, 1, nullptr)));
        ::CloseClipboard();
    }

    static void PutMemory(UINT format, const void* data, std::size_t size) {
        UniqueHglobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
        std::memcpy(::GlobalLock(block.Get()), data, size);
        ::GlobalUnlock(block.Get());
        if (::SetClipboardData(format, block.Get()))
            static_cast<void>(block.Detach());
        else
            ADD_FAILURE() << "SetClipboardData " << format;
    }

    /// The bytes of a memory format now on the clipboard.
    static std::vector<std::uint8_t> Read(UINT format) {
        std::vector<std::uint8_t> bytes;
        if (!::OpenClipboard(nullptr))
            return bytes;
        if (HANDLE data = ::GetClipboardData(format)) {
            const auto* source = static_cast<const std::uint8_t*>(::GlobalLock(data));
            bytes.assign(source, source + ::GlobalSize(data));
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
        return bytes;
    }

    void ExpectTheUsersDataBack() {
        const std::vector<std::uint8_t> text = Read(CF_UNICODETEXT);
        ASSERT_GE(text.size(), (kUserText.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(text.data())), kUserText);
        const std::vector<std::uint8_t> data = Read(privateFormat);
        ASSERT_GE(data.size(), kPrivateBytes.size());
        EXPECT_TRUE(std::equal(kPrivateBytes.begin(), kPrivateBytes.end(), data.begin()));
    }

    void TearDown() override {
        if (locked)
            ::ReleaseMutex(lock.Get());
    }

    UniqueKernelHandle lock;
    bool locked = false;
    Win32Desktop desktop;
    const std::unique_ptr<host::MessageWindow> ownWindow =
        desktop.CreateMessageWindow(u"TarvexClipboardTest", u"", {});
    UINT privateFormat = 0;
};

TEST_F(RealClipboard, SavingKeepsMemoryFormatsOnlyAndRestoringPutsThemBack) {
    FillAsTheUser();
    framework::TSaveClipboard saved(desktop, ownWindow->Handle());
    saved.Save();
    std::vector<std::uint32_t> formats;
    for (const auto& entry : saved.Saved())
        formats.push_back(entry.first);
    EXPECT_NE(std::find(formats.begin(), formats.end(), CF_UNICODETEXT), formats.end());
    EXPECT_NE(std::find(formats.begin(), formats.end(), privateFormat), formats.end());
    for (const std::uint32_t format : formats)
        EXPECT_FALSE(host::IsGdiClipboardFormat(format)) << format;

    {
        const auto session = desktop.OpenClipboard(ownWindow->Handle());
        ASSERT_TRUE(session);
        session->Empty();
        session->SetBitmap(TestGlyph(0x112233));
    }
    saved.Restore();
    ExpectTheUsersDataBack();
    EXPECT_FALSE(::IsClipboardFormatAvailable(CF_PALETTE)) << "GDI data is not put back";
}

TEST_F(RealClipboard, ASessionPutsABitmapWithTheGlyphsColours) {
    const base::Bitmap glyph = TestGlyph(0x445566);
    {
        const auto session = desktop.OpenClipboard(ownWindow->Handle());
        ASSERT_TRUE(session);
        session->Empty();
        session->SetBitmap(glyph);
        const auto formats = session->Formats();
        EXPECT_NE(std::find(formats.begin(), formats.end(), CF_BITMAP), formats.end());
        EXPECT_FALSE(session->Data(CF_BITMAP)) << "a bitmap is no memory block";
    }
    ASSERT_TRUE(::OpenClipboard(nullptr));
    const base::Bitmap pixels = PixelsOf(static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP)));
    ::CloseClipboard();
    EXPECT_EQ(pixels.pixels, glyph.pixels);
}

TEST_F(RealClipboard, OpeningWaitsForAnotherHolderAndGivesUpWhenItStays) {
    std::atomic<bool> opened{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        // Another program holds the clipboard open for a window of its own (Wine lets two
        // openers without a window share it).
        const UniqueHwnd window(::CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0,
                                                  HWND_MESSAGE, nullptr, nullptr, nullptr));
        if (window && ::OpenClipboard(window.Get())) {
            opened = true;
            while (!release)
                ::Sleep(5);
            ::CloseClipboard();
        }
        opened = true;
    });
    while (!opened)
        ::Sleep(1);
    EXPECT_FALSE(desktop.OpenClipboard(0)) << "held all through the attempts";
    std::thread releaser([&] {
        ::Sleep(50);
        release = true;
    });
    EXPECT_TRUE(desktop.OpenClipboard(0)) << "a later attempt finds it free";
    releaser.join();
    holder.join();
}

class FaceModule : public framework::TadxCOMAddInModule {
    friend class framework::TadxCOMAddInModule;
    explicit FaceModule(framework::ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override { SetAddInName(u"Tarvex"); }
};

TEST_F(RealClipboard, Office2000sFaceComesThroughTheClipboardAndTheUsersDataSurvives) {
    FillAsTheUser();
    sim::SimExcel excel;
    excel.SetVersion(u"9.0");
    // The simulated Office 2000 pastes what the real clipboard holds.
    HWND owner = nullptr;
    excel.Office().ReadClipboardThrough([&owner]() -> std::optional<sim::SimBitmap> {
        owner = ::GetClipboardOwner();
        if (!::OpenClipboard(nullptr))
            throw base::Error(base::hr::AccessDenied, "The clipboard is held open");
        const base::Bitmap pixels = PixelsOf(static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP)));
        ::CloseClipboard();
        if (pixels.Empty())
            return std::nullopt;
        return sim::ToSimBitmap(pixels);
    });
    sim::MemoryRegistry registry;
    auto module = framework::TadxCOMAddInModule::Create<FaceModule>(
        framework::ModuleServices{desktop, registry});
    std::vector<std::string> errors;
    module->OnError = [&](framework::TComponent&, const std::exception& error, bool& handled) {
        errors.push_back(error.what());
        handled = true;
    };
    tarvex::testing::ConnectToExcel(*module, excel);
    auto& bar = module->CreateComponent<framework::TadxCommandBar>();
    bar.SetCommandBarName(u"Tarvex");
    bar.SetTemporary(true);
    auto& button = bar.Controls().Add<framework::TadxCommandBarButton>();
    const base::Bitmap glyph = TestGlyph(0x336699);
    button.SetGlyph(glyph);
    module->CreateCommandBars();
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors[0]);

    const auto handles =
        excel.Office().FindControls(std::nullopt, std::nullopt, button.OfficeTag());
    ASSERT_EQ(handles.size(), 1u);
    const sim::ButtonFace face = excel.Office().Control(handles[0]).face;
    ASSERT_EQ(face.source, sim::ButtonFace::Source::Clipboard);
    ASSERT_TRUE(face.pasted);
    const std::uint32_t background = desktop.ButtonFaceColor();
    for (std::size_t i = 0; i < glyph.pixels.size(); ++i)
        ASSERT_EQ(face.pasted->pixels[i],
                  glyph.pixels[i] == 0xFF00FF ? background : glyph.pixels[i])
            << i;
    ExpectTheUsersDataBack();
    EXPECT_EQ(owner, reinterpret_cast<HWND>(module->ClipboardWindow())) << "not emptied ownerless";
    module.reset();
    EXPECT_FALSE(::IsWindow(owner)) << "the window goes with the module";
    ExpectTheUsersDataBack();
}

} // namespace
} // namespace tarvex::win
