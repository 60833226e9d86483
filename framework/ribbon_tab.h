#pragma once

// TadxRibbonTab: the add-in's ribbon tab, a component of the add-in module. It holds up to
// 100 groups and the image list its controls' ImageIndex points into, and registers itself
// in the module's tab list (or contextual tab list, when it has a context).

#include <optional>
#include <string>
#include <vector>

#include "base/bitmap.h"
#include "framework/ribbon_component.h"

namespace tarvex::framework {

/// The images a tab's controls select by ImageIndex.
using TadxImageList = std::vector<base::Bitmap>;

class TadxRibbonTab final : public TadxRibbonComponent {
public:
    /// Throws Error 31112 unless `owner` is an add-in module. The tab starts with the ribbon
    /// kinds of the module's SupportedApps.
    explicit TadxRibbonTab(TComponent* owner);
    ~TadxRibbonTab() override;

    std::string ClassName() const override { return "TadxRibbonTab"; }

    TadxRibbonControls& Controls() noexcept { return m_controls; }

    /// Written with fixed values under the module's shared namespace.
    bool Shared() const noexcept { return m_shared; }
    void SetShared(bool value) noexcept { m_shared = value; }
    /// A non-empty context makes the tab a contextual tab of that context.
    const std::u16string& Context() const noexcept { return m_context; }
    void SetContext(std::u16string context);

    const std::optional<TadxImageList>& Images() const noexcept { return m_images; }
    /// Replaces the image list. Every control (at any depth) whose ImageIndex is outside the
    /// new list gets -1; removing the list gives every control -1.
    void SetImages(std::optional<TadxImageList> images);

    std::u16string GetXmlTagName() const override { return u"tab"; }
    TadxXmlAttributes GetXmlAttributes() const override;
    TadxRibbonControls* GetChildControls() noexcept override { return &m_controls; }
    void CheckNewChild(int controlType, std::string_view className) const override;

protected:
    /// Only the key tip is asked for again; the caption and visibility are read at load.
    void StateChanged(TadxRibbonState state) override;

private:
    bool m_shared = false;
    std::u16string m_context;
    std::optional<TadxImageList> m_images;
    TadxRibbonControls m_controls;
};

} // namespace tarvex::framework
