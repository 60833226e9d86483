#pragma once

// The ribbon documents Office asks an add-in for (one per kind of window), their ribbon ids,
// and sets of them.

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "framework/host_app.h"

namespace tarvex::framework {

enum class TadxRibbon : std::uint8_t {
    msrAccessDatabase = 0,
    msrExcelWorkbook = 1,
    msrPowerPointPresentation = 2,
    msrWordDocument = 3,
    msrOutlookMailRead = 4,
    msrOutlookMailCompose = 5,
    msrOutlookMeetingRequestRead = 6,
    msrOutlookMeetingRequestSend = 7,
    msrOutlookAppointment = 8,
    msrOutlookContact = 9,
    msrOutlookJournal = 10,
    msrOutlookTask = 11,
    msrOutlookDistributionList = 12,
    msrOutlookReport = 13,
    msrOutlookResend = 14,
    msrOutlookResponseRead = 15,
    msrOutlookResponseCompose = 16,
    msrOutlookResponseCounterPropose = 17,
    msrOutlookRSS = 18,
    msrOutlookPostRead = 19,
    msrOutlookPostCompose = 20,
    msrOutlookSharingRead = 21,
    msrOutlookSharingCompose = 22,
};

inline constexpr int kRibbonCount = 23;

/// The ribbon id Office passes for `ribbon` ("Microsoft.Excel.Workbook").
std::u16string_view RibbonIdOf(TadxRibbon ribbon) noexcept;

/// A set of ribbon kinds (bit n = kind n).
class TadxRibbons {
public:
    constexpr TadxRibbons() noexcept = default;
    constexpr TadxRibbons(std::initializer_list<TadxRibbon> ribbons) noexcept {
        for (TadxRibbon ribbon : ribbons)
            m_bits |= Bit(ribbon);
    }

    constexpr bool Contains(TadxRibbon ribbon) const noexcept { return m_bits & Bit(ribbon); }
    constexpr bool Empty() const noexcept { return m_bits == 0; }
    constexpr void Insert(TadxRibbon ribbon) noexcept { m_bits |= Bit(ribbon); }
    /// Whether the set holds any Outlook inspector kind.
    constexpr bool HasOutlook() const noexcept { return (m_bits >> 4) != 0; }
    constexpr std::uint32_t Bits() const noexcept { return m_bits; }
    friend constexpr bool operator==(TadxRibbons, TadxRibbons) = default;

private:
    static constexpr std::uint32_t Bit(TadxRibbon ribbon) noexcept {
        return 1u << static_cast<unsigned>(ribbon);
    }
    std::uint32_t m_bits = 0;
};

/// The ribbon kinds of the given hosts: Access, Excel, PowerPoint and Word one each,
/// Outlook its mail read and compose inspectors; the other hosts have none.
TadxRibbons RibbonsOfHosts(TadxHostAppSet hosts) noexcept;

/// The marker ribbon id under which a dynamic menu's content is written.
inline constexpr std::u16string_view kDynamicMenuRibbonId = u"DynamicMenu";

/// Whether a component with `ribbons` belongs to the document `ribbonId`: always for the
/// dynamic menu marker, else when some kind in the set has exactly that id.
bool IsRibbonIncluded(std::u16string_view ribbonId, TadxRibbons ribbons) noexcept;

} // namespace tarvex::framework
