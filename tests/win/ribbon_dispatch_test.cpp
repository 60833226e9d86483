// The ribbon callbacks through a real IDispatch: names and arguments as Office passes them in
// VARIANTs, cancelDefault written back into the caller's by-reference boolean, and the ribbon
// images as real OLE pictures (a 32-bit top-down bitmap with alpha, and an owned icon).

#include <windows.h>

#include <olectl.h>

#include <gtest/gtest.h>
#include <memory>
#include <ole2.h>
#include <vector>

#include "framework/module.h"
#include "framework/ribbon_callbacks.h"
#include "framework/ribbon_callbacks_dispatch.h"
#include "host/win/com_adapters.h"
#include "host/win/desktop.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_ribbon.h"
#include "tests/win/bitmap_pixels.h"

namespace tarvex::win {
namespace {

using testing::PictureOf;

using framework::TadxCOMAddInModule;

/// A command that repurposes FileSave and cancels Office's own save.
class CancelSave final : public framework::TComponent, public framework::TadxRibbonCommandAction {
public:
    explicit CancelSave(framework::TComponent* owner)
        : TComponent(owner) {}
    std::u16string OfficeControlId() const override { return u"FileSave"; }
    void DoAction(framework::TadxRibbonActionArguments& arguments) override {
        arguments.cancel = true;
    }
};

class RibbonDispatchCom : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        module = TadxCOMAddInModule::Create<tarvex::testing::RibbonTestModule>(
            framework::ModuleServices{desktop, registry});
        ribbon = tarvex::testing::BuildAddinRibbon(*module);
        auto& command = module->CreateComponent<CancelSave>();
        module->Enlist(TadxCOMAddInModule::ComponentList::RibbonCommands, &command);
        callbacks = host::MakeRef<framework::TadxRibbonDispatch>(
            [this]() -> TadxCOMAddInModule* { return module.get(); });
        dispatch = ToCom(callbacks.Get());
    }
    void TearDown() override {
        dispatch = {};
        callbacks = nullptr;
        module.reset();
        ::CoUninitialize();
    }

    DISPID IdOf(const wchar_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 0;
        dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        return id;
    }

    /// An IRibbonControl of the simulated Office as a COM object in a VARIANT.
    VARIANT ControlArgument(std::u16string id) {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = VT_DISPATCH;
        value.pdispVal = ToCom(excel.Office().MakeRibbonControl(std::move(id)).Get()).Detach();
        return value;
    }

    /// Invokes with `arguments` already last first.
    HRESULT Invoke(DISPID member, std::vector<VARIANT>& arguments, VARIANT* result,
                   EXCEPINFO* exception = nullptr) {
        DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        UINT argErr = 0;
        return dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                result, exception, &argErr);
    }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::unique_ptr<tarvex::testing::RibbonTestModule> module;
    tarvex::testing::AddinRibbon ribbon;
    host::Ref<host::Dispatch> callbacks;
    ComPtr<IDispatch> dispatch;
};

TEST_F(RibbonDispatchCom, NamesResolveThroughTheRealInterface) {
    EXPECT_EQ(IdOf(L"GetVisible_Callback"), 12);
    EXPECT_EQ(IdOf(L"GetSuperTip_Callback"), 19);
    EXPECT_EQ(IdOf(L"getvisible_callback"), DISPID_UNKNOWN);
    LPOLESTR none[] = {nullptr};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, none, 0, LOCALE_USER_DEFAULT, &id), E_INVALIDARG);
}

TEST_F(RibbonDispatchCom, LabelComesBackAsAString) {
    std::vector<VARIANT> arguments{ControlArgument(ribbon.track->Id() + u"wrapped")};
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(Invoke(IdOf(L"GetLabel_Callback"), arguments, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_STREQ(result.bstrVal, L"Track");
    ::VariantClear(&result);
    ::VariantClear(&arguments[0]);
}

TEST_F(RibbonDispatchCom, CancelDefaultIsWrittenIntoTheCallersBoolean) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT reference;
    ::VariantInit(&reference);
    reference.vt = VT_BYREF | VT_BOOL;
    reference.pboolVal = &cancel;
    std::vector<VARIANT> arguments{reference, ControlArgument(u"FileSave")};
    ASSERT_EQ(Invoke(IdOf(L"OnActionCommonRepurposed_Callback"), arguments, nullptr), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);

    VARIANT byValue;
    ::VariantInit(&byValue);
    byValue.vt = VT_BOOL;
    byValue.boolVal = VARIANT_FALSE;
    arguments[0] = byValue;
    EXPECT_EQ(Invoke(IdOf(L"OnActionCommonRepurposed_Callback"), arguments, nullptr),
              DISP_E_TYPEMISMATCH);
    ::VariantClear(&arguments[1]);
}

TEST_F(RibbonDispatchCom, MissingArgumentsAndWrongObjectsAreRefused) {
    std::vector<VARIANT> none;
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(Invoke(IdOf(L"GetItemLabel_Callback"), none, &result), DISP_E_BADPARAMCOUNT);

    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"no control");
    std::vector<VARIANT> arguments{text};
    EXCEPINFO exception{};
    EXPECT_EQ(Invoke(IdOf(L"GetLabel_Callback"), arguments, &result, &exception), DISP_E_EXCEPTION);
    EXPECT_NE(exception.scode, S_OK) << "the exception information carries the code";
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    ::VariantClear(&arguments[0]);
}

class RibbonPictures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    Win32Desktop desktop;
};

TEST_F(RibbonPictures, AlphaPictureIsATopDownThirtyTwoBitSectionWithTheAlphaKept) {
    base::Bitmap bitmap;
    bitmap.width = 2;
    bitmap.height = 2;
    bitmap.bitsPerPixel = 32;
    bitmap.pixels = {0xFF112233, 0xFF445566, 0x00FF00FF, 0x80778899};
    const ComPtr<IPicture> picture = PictureOf(desktop.CreateAlphaPicture(bitmap));
    ASSERT_TRUE(picture);
    SHORT type = 0;
    ASSERT_TRUE(SUCCEEDED(picture->get_Type(&type)));
    EXPECT_EQ(type, PICTYPE_BITMAP);
    OLE_HANDLE handle = 0;
    ASSERT_TRUE(SUCCEEDED(picture->get_Handle(&handle)));
    DIBSECTION section{};
    ASSERT_EQ(::GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)),
                           sizeof(section), &section),
              static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    // Read back bottom row first: the first row returned is the bitmap's bottom row only
    // when the section is top-down, as the pixels were given.
    BITMAPINFO bottomUp{};
    bottomUp.bmiHeader.biSize = sizeof(bottomUp.bmiHeader);
    bottomUp.bmiHeader.biWidth = 2;
    bottomUp.bmiHeader.biHeight = 2;
    bottomUp.bmiHeader.biPlanes = 1;
    bottomUp.bmiHeader.biBitCount = 32;
    bottomUp.bmiHeader.biCompression = BI_RGB;
    std::uint32_t rows[4] = {};
    const HDC screen = ::GetDC(nullptr);
    ASSERT_EQ(::GetDIBits(screen, reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), 0, 2,
                          rows, &bottomUp, DIB_RGB_COLORS),
              2);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(rows[0] & 0x00FFFFFF, 0xFF00FFu) << "top row first";
    const auto* bits = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[0], 0xFF112233u);
    EXPECT_EQ(bits[2], 0x00FF00FFu);
    EXPECT_EQ(bits[3], 0x80778899u);
}

TEST_F(RibbonPictures, IconPictureHoldsAnIconOfTheBitmapsSize) {
    const base::Bitmap glyph = testing::TestGlyph(16);
    const ComPtr<IPicture> picture = PictureOf(desktop.CreateIconPicture(glyph));
    ASSERT_TRUE(picture);
    SHORT type = 0;
    ASSERT_TRUE(SUCCEEDED(picture->get_Type(&type)));
    EXPECT_EQ(type, PICTYPE_ICON);
    OLE_HANDLE handle = 0;
    ASSERT_TRUE(SUCCEEDED(picture->get_Handle(&handle)));
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle)), &info));
    BITMAP colour{};
    ::GetObjectW(info.hbmColor, sizeof(colour), &colour);
    EXPECT_EQ(colour.bmWidth, 16);
    EXPECT_EQ(colour.bmHeight, 16);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
}

} // namespace
} // namespace tarvex::win
