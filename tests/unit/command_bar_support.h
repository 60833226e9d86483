#pragma once

// A module with command bars over the simulated Excel, Office, desktop and registry, as the
// command bar tests build it, and the glyphs they paint.

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "base/bitmap.h"
#include "framework/command_bar.h"
#include "framework/command_bar_button.h"
#include "framework/command_bar_popup.h"
#include "framework/factory.h"
#include "framework/module.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_in_excel.h"

namespace tarvex::framework::testing {

class BarModule : public TadxCOMAddInModule {
    friend class TadxCOMAddInModule;
    explicit BarModule(ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override { SetAddInName(u"Tarvex"); }
};

inline constexpr std::uint32_t kMagenta = 0xFF00FF;

/// A 16 x 16 glyph: a magenta background (its bottom-left pixel) around a square of
/// `color`, with one pixel of `accent` in its top-left corner.
inline base::Bitmap MakeGlyph(std::uint32_t color, std::uint32_t accent = 0x000080) {
    base::Bitmap glyph;
    glyph.width = 16;
    glyph.height = 16;
    glyph.pixels.assign(256, kMagenta);
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            glyph.pixels[static_cast<std::size_t>(y) * 16 + x] = color;
    glyph.pixels[4 * 16 + 4] = accent;
    return glyph;
}

/// `glyph` as the user sees it on `background`: the transparent colour shows the background.
inline sim::SimBitmap SeenOn(const base::Bitmap& glyph, std::uint32_t background,
                             std::uint32_t transparent = kMagenta) {
    sim::SimBitmap seen{glyph.width, glyph.height, {}};
    for (std::uint32_t pixel : glyph.pixels)
        seen.pixels.push_back((pixel & 0xFFFFFF) == transparent ? background : pixel & 0xFFFFFF);
    return seen;
}

class CommandBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            messages.push_back(message.text);
            return 1;
        });
        excel.Office().ShareClipboard(desktop.SharedClipboard());
    }

    /// Connects the module to Excel of `version` as start-up does.
    void Connect(std::u16string version = u"11.0") {
        excel.SetVersion(std::move(version));
        module->SetFactory(&factory);
        tarvex::testing::ConnectToExcel(*module, excel);
    }

    TadxCommandBar& AddBar(std::u16string name, bool temporary = true) {
        auto& bar = module->CreateComponent<TadxCommandBar>("adxCommandBar");
        bar.SetCommandBarName(std::move(name));
        bar.SetTemporary(temporary);
        return bar;
    }

    /// The bar's controls as Office holds them.
    std::vector<sim::CommandBarControlData> OfficeControls(sim::SimOffice::BarHandle bar) const {
        std::vector<sim::CommandBarControlData> result;
        for (const auto handle : excel.Office().Controls(bar))
            result.push_back(excel.Office().Control(handle));
        return result;
    }

    /// Office's only control with `tag`.
    sim::SimOffice::ControlHandle OfficeControl(const std::u16string& tag) const {
        const auto found = excel.Office().FindControls(std::nullopt, std::nullopt, tag);
        EXPECT_EQ(found.size(), 1u) << "controls tagged this way";
        return found.at(0);
    }

    std::size_t Calls(std::string_view member) const { return excel.Office().CallCount(member); }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    TadxFactory factory{"qorvel", "Tarvex", "Tarvex",
                        base::Guid::Parse("{6F1B0C55-9D1E-4E35-9E0B-5A8E2C1D4B21}"),
                        "C:\\Tarvex\\"};
    std::vector<std::u16string> messages;
    std::unique_ptr<BarModule> module =
        TadxCOMAddInModule::Create<BarModule>(ModuleServices{desktop, registry});
};

} // namespace tarvex::framework::testing
