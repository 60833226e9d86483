// OLE pictures made by Win32Desktop from glyph bitmaps: real bitmap pictures whose pixels
// are the glyph's, and monochrome masks that are white where the glyph is transparent; and
// a button of the frame that receives both as its Picture and Mask.

#include <windows.h>

#include <olectl.h>

#include <gtest/gtest.h>
#include <ole2.h>

#include "base/error.h"
#include "framework/command_bar.h"
#include "framework/command_bar_button.h"
#include "framework/module.h"
#include "host/win/com_adapters.h"
#include "host/win/desktop.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_in_excel.h"
#include "tests/win/bitmap_pixels.h"

namespace tarvex::win {
namespace {

using testing::PictureOf;
using testing::PixelsOf;
using testing::TestGlyph;

class Pictures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    static HBITMAP HandleOf(IPicture& picture) {
        OLE_HANDLE handle = 0;
        if (FAILED(picture.get_Handle(&handle)))
            return nullptr;
        return reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    }

    Win32Desktop desktop;
    base::Bitmap glyph = TestGlyph(0x336699);
};

TEST_F(Pictures, APictureIsABitmapPictureWithTheGlyphsPixels) {
    const host::Ref<host::Dispatch> object = desktop.CreatePicture(glyph);
    const ComPtr<IPicture> picture = PictureOf(object);
    ASSERT_TRUE(picture);
    SHORT type = 0;
    ASSERT_TRUE(SUCCEEDED(picture->get_Type(&type)));
    EXPECT_EQ(type, PICTYPE_BITMAP);
    const base::Bitmap pixels = PixelsOf(HandleOf(*picture));
    ASSERT_EQ(pixels.width, 16);
    ASSERT_EQ(pixels.height, 16);
    EXPECT_EQ(pixels.pixels, glyph.pixels);
}

TEST_F(Pictures, AMaskIsMonochromeAndWhiteExactlyWhereTheGlyphIsTransparent) {
    const ComPtr<IPicture> mask = PictureOf(desktop.CreateMaskPicture(glyph));
    ASSERT_TRUE(mask);
    const HBITMAP handle = HandleOf(*mask);
    BITMAP info{};
    ASSERT_NE(::GetObjectW(handle, sizeof info, &info), 0);
    EXPECT_EQ(info.bmBitsPixel, 1);
    const base::Bitmap pixels = PixelsOf(handle);
    ASSERT_EQ(pixels.pixels.size(), glyph.pixels.size());
    for (std::size_t i = 0; i < glyph.pixels.size(); ++i)
        EXPECT_EQ(pixels.pixels[i], glyph.pixels[i] == 0xFF00FF ? 0xFFFFFFu : 0u) << i;

    base::Bitmap named = glyph;
    named.transparentColor = 0x336699;
    const base::Bitmap inverse = PixelsOf(HandleOf(*PictureOf(desktop.CreateMaskPicture(named))));
    EXPECT_EQ(inverse.pixels[8 * 16 + 8], 0xFFFFFFu) << "a named transparent colour wins";
    EXPECT_EQ(inverse.pixels[0], 0u);
}

TEST_F(Pictures, AnEmptyBitmapIsRefused) {
    EXPECT_THROW(desktop.CreatePicture(base::Bitmap{}), base::Error);
    base::Bitmap torn = glyph;
    torn.pixels.resize(10);
    EXPECT_THROW(desktop.CreateMaskPicture(torn), base::Error);
}

class PictureModule : public framework::TadxCOMAddInModule {
    friend class framework::TadxCOMAddInModule;
    explicit PictureModule(framework::ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override { SetAddInName(u"Tarvex"); }
};

TEST_F(Pictures, AButtonReceivesARealPictureAndMask) {
    sim::SimExcel excel;
    excel.SetVersion(u"11.0");
    sim::MemoryRegistry registry;
    auto module = framework::TadxCOMAddInModule::Create<PictureModule>(
        framework::ModuleServices{desktop, registry});
    std::vector<std::string> errors;
    // A real message box would wait for a user: errors are collected instead.
    module->OnError = [&](framework::TComponent&, const std::exception& error, bool& handled) {
        errors.push_back(error.what());
        handled = true;
    };
    tarvex::testing::ConnectToExcel(*module, excel);
    auto& bar = module->CreateComponent<framework::TadxCommandBar>();
    bar.SetCommandBarName(u"Tarvex");
    bar.SetTemporary(true);
    auto& button = bar.Controls().Add<framework::TadxCommandBarButton>();
    button.SetGlyph(glyph);
    module->CreateCommandBars();
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors[0]);

    const auto handles =
        excel.Office().FindControls(std::nullopt, std::nullopt, button.OfficeTag());
    ASSERT_EQ(handles.size(), 1u);
    const sim::ButtonFace face = excel.Office().Control(handles[0]).face;
    ASSERT_EQ(face.source, sim::ButtonFace::Source::Picture);
    const ComPtr<IPicture> picture = PictureOf(face.picture);
    const ComPtr<IPicture> mask = PictureOf(face.mask);
    ASSERT_TRUE(picture && mask);
    EXPECT_EQ(PixelsOf(HandleOf(*picture)).pixels, glyph.pixels);
    EXPECT_EQ(PixelsOf(HandleOf(*mask)).pixels[0], 0xFFFFFFu);
    EXPECT_EQ(PixelsOf(HandleOf(*mask)).pixels[8 * 16 + 8], 0u);
}

} // namespace
} // namespace tarvex::win
