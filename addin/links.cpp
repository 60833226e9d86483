#include "addin/links.h"

#include "addin/links_config.h"

namespace tarvex::addin {

std::string LinkAddress(Link link) {
    const std::string base = kWebBase;
    const std::string tag = kReferralTag;
    std::string address;
    switch (link) {
    case Link::RequestSupportOnline:
        address = base + "/support/?ref=";
        break;
    case Link::RequestSupportViaEmail:
        address = "mailto:";
        address += kSupportEmail;
        return address;
    case Link::AnonymousFeedback:
        address = base + "/support/afeedback.php?ref=";
        break;
    case Link::TellAFriend:
        address = base + "/support/tell-a-friend.php?ref=";
        break;
    case Link::SubscribeToNews:
        address = base + "/newsletter/?ref=";
        break;
    case Link::SuggestNewFeature:
        return base + "/support/suggest-new-feature.php";
    }
    return address + tag;
}

} // namespace tarvex::addin
