#include "framework/ribbon_kinds.h"

#include <array>

namespace tarvex::framework {

namespace {
constexpr std::array<std::u16string_view, kRibbonCount> kRibbonIds{
    u"Microsoft.Access.Database",
    u"Microsoft.Excel.Workbook",
    u"Microsoft.PowerPoint.Presentation",
    u"Microsoft.Word.Document",
    u"Microsoft.Outlook.Mail.Read",
    u"Microsoft.Outlook.Mail.Compose",
    u"Microsoft.Outlook.MeetingRequest.Read",
    u"Microsoft.Outlook.MeetingRequest.Send",
    u"Microsoft.Outlook.Appointment",
    u"Microsoft.Outlook.Contact",
    u"Microsoft.Outlook.Journal",
    u"Microsoft.Outlook.Task",
    u"Microsoft.Outlook.DistributionList",
    u"Microsoft.Outlook.Report",
    u"Microsoft.Outlook.Resend",
    u"Microsoft.Outlook.Response.Read",
    u"Microsoft.Outlook.Response.Compose",
    u"Microsoft.Outlook.Response.CounterPropose",
    u"Microsoft.Outlook.RSS",
    u"Microsoft.Outlook.Post.Read",
    u"Microsoft.Outlook.Post.Compose",
    u"Microsoft.Outlook.Sharing.Read",
    u"Microsoft.Outlook.Sharing.Compose",
};
} // namespace

std::u16string_view RibbonIdOf(TadxRibbon ribbon) noexcept {
    return kRibbonIds[static_cast<std::size_t>(ribbon)];
}

TadxRibbons RibbonsOfHosts(TadxHostAppSet hosts) noexcept {
    TadxRibbons ribbons;
    if (hosts.Contains(TadxOfficeHostApp::ohaAccess))
        ribbons.Insert(TadxRibbon::msrAccessDatabase);
    if (hosts.Contains(TadxOfficeHostApp::ohaExcel))
        ribbons.Insert(TadxRibbon::msrExcelWorkbook);
    if (hosts.Contains(TadxOfficeHostApp::ohaPowerPoint))
        ribbons.Insert(TadxRibbon::msrPowerPointPresentation);
    if (hosts.Contains(TadxOfficeHostApp::ohaWord))
        ribbons.Insert(TadxRibbon::msrWordDocument);
    if (hosts.Contains(TadxOfficeHostApp::ohaOutlook)) {
        ribbons.Insert(TadxRibbon::msrOutlookMailRead);
        ribbons.Insert(TadxRibbon::msrOutlookMailCompose);
    }
    return ribbons;
}

bool IsRibbonIncluded(std::u16string_view ribbonId, TadxRibbons ribbons) noexcept {
    if (ribbonId == kDynamicMenuRibbonId)
        return true;
    for (int n = 0; n < kRibbonCount; ++n) {
        const auto ribbon = static_cast<TadxRibbon>(n);
        if (ribbons.Contains(ribbon) && RibbonIdOf(ribbon) == ribbonId)
            return true;
    }
    return false;
}

} // namespace tarvex::framework
