#include "framework/errors.h"

namespace tarvex::framework {

host::Error EmptyPropertyError(std::string_view property) {
    return host::Error(error_code::EmptyProperty,
                       "The " + std::string(property) + " property can not be empty.");
}

host::Error WrongOwnerError(std::string_view className, std::string_view ownerClassName) {
    return host::Error(error_code::WrongOwner, "The " + std::string(className) +
                                                   " class can not be contained in the " +
                                                   std::string(ownerClassName) + " class.");
}

} // namespace tarvex::framework
