#include "framework/errors.h"

namespace tarvex::framework {

base::Error EmptyPropertyError(std::string_view property) {
    return base::Error(error_code::EmptyProperty,
                       "The " + std::string(property) + " property can not be empty.");
}

base::Error WrongOwnerError(std::string_view className, std::string_view ownerClassName) {
    return base::Error(error_code::WrongOwner, "The " + std::string(className) +
                                                   " class can not be contained in the " +
                                                   std::string(ownerClassName) + " class.");
}

base::Error SingleInstanceError(std::string_view className, std::string_view container) {
    return base::Error(error_code::SingleInstance, "There can be only one instance of " +
                                                       std::string(className) + " in the " +
                                                       std::string(container) + "!");
}

base::Error TooManyItemsError(int limit) {
    return base::Error(error_code::TooManyItems, "There can not be more than " +
                                                     std::to_string(limit) +
                                                     " items in this control!");
}

base::Error NoControlsOnHostError() {
    return base::Error(error_code::NoControlsOnHost, "Can not add a control to MS MapPoint.");
}

base::Error IllegalBarNameError(std::string_view barName) {
    return base::Error(error_code::IllegalBarName,
                       "Illegal character in the " + std::string(barName) + " commandbar name.");
}

base::Error ModuleOwnerError(std::string_view className, std::string_view ownerClassName) {
    return base::Error(error_code::ModuleOwner, "The " + std::string(className) +
                                                    " class can not be contained in the " +
                                                    std::string(ownerClassName) + " class.");
}

} // namespace tarvex::framework
