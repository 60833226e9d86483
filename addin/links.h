#pragma once

// The web and e-mail links of the Help menu. The maker's base web address, support e-mail
// address and the product's referral tag are set when the add-in is built (CMake cache
// variables TARVEX_WEB_BASE, TARVEX_SUPPORT_EMAIL and TARVEX_REFERRAL_TAG).

#include <string>

namespace tarvex::addin {

enum class Link {
    RequestSupportOnline,
    RequestSupportViaEmail,
    AnonymousFeedback,
    TellAFriend,
    SubscribeToNews,
    SuggestNewFeature,
};

/// The address the shell opens for `link`: a web page below the base address (with the
/// referral tag in its query, except for the feature suggestion form), or a mailto: link.
std::string LinkAddress(Link link);

} // namespace tarvex::addin
