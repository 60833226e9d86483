#include "object.h"

namespace tarvex::host {

base::HResult AnswerQuery(const base::Guid& iid, void** object,
                          std::initializer_list<InterfaceOffer> offers) {
    if (!object)
        return base::hr::Pointer;
    for (const InterfaceOffer& offer : offers) {
        if (offer.iid == iid) {
            offer.unknown->AddRef();
            *object = offer.pointer;
            return base::hr::Ok;
        }
    }
    *object = nullptr;
    return base::hr::NoInterface;
}

bool IsSameObject(Unknown* a, Unknown* b) {
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    const Ref<Unknown> identityA = QueryAs<Unknown>(a, iid::Unknown);
    const Ref<Unknown> identityB = QueryAs<Unknown>(b, iid::Unknown);
    return identityA && identityA == identityB;
}

} // namespace tarvex::host
