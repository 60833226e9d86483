#include "object.h"

namespace tarvex::host {

HResult AnswerQuery(const Guid& iid, void** object, std::initializer_list<InterfaceOffer> offers) {
    if (!object)
        return hr::Pointer;
    for (const InterfaceOffer& offer : offers) {
        if (offer.iid == iid) {
            offer.unknown->AddRef();
            *object = offer.pointer;
            return hr::Ok;
        }
    }
    *object = nullptr;
    return hr::NoInterface;
}

} // namespace tarvex::host
