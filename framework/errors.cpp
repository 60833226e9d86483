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

host::Error SingleInstanceError(std::string_view className, std::string_view container) {
    return host::Error(error_code::SingleInstance, "There can be only one instance of " +
                                                       std::string(className) + " in the " +
                                                       std::string(container) + "!");
}

host::Error TooManyItemsError(int limit) {
    return host::Error(error_code::TooManyItems, "There can not be more than " +
                                                     std::to_string(limit) +
                                                     " items in this control!");
}

host::Error NoControlsOnHostError() {
    return host::Error(error_code::NoControlsOnHost, "Can not add a control to MS MapPoint.");
}

host::Error IllegalBarNameError(std::string_view barName) {
    return host::Error(error_code::IllegalBarName,
                       "Illegal character in the " + std::string(barName) + " commandbar name.");
}

host::Error ModuleOwnerError(std::string_view className, std::string_view ownerClassName) {
    return host::Error(error_code::ModuleOwner, "The " + std::string(className) +
                                                    " class can not be contained in the " +
                                                    std::string(ownerClassName) + " class.");
}

} // namespace tarvex::framework
