#pragma once

// The frame's own error codes (31101 to 31120) and the errors built from them.

#include <string>
#include <string_view>

#include "base/error.h"

namespace tarvex::framework {

namespace error_code {
/// A required property was set to an empty value.
inline constexpr base::HResult EmptyProperty = 31101;
/// A command bar name holds a character the host does not accept.
inline constexpr base::HResult IllegalBarName = 31102;
/// Controls cannot be added on the host (MapPoint).
inline constexpr base::HResult NoControlsOnHost = 31110;
/// A command bar or ribbon tab was created with an owner that is not an add-in module.
inline constexpr base::HResult ModuleOwner = 31112;
/// A component was created with an owner that cannot contain it.
inline constexpr base::HResult WrongOwner = 31113;
/// A second instance of a control that a container may hold only once.
inline constexpr base::HResult SingleInstance = 31119;
/// A ribbon control collection is full.
inline constexpr base::HResult TooManyItems = 31120;
} // namespace error_code

/// "The <property> property can not be empty." (31101).
base::Error EmptyPropertyError(std::string_view property);

/// "The <class> class can not be contained in the <owner> class." (31113); `owner` is "nil"
/// when there is none.
base::Error WrongOwnerError(std::string_view className, std::string_view ownerClassName);

/// "There can be only one instance of <class> in the <container>!" (31119).
base::Error SingleInstanceError(std::string_view className, std::string_view container);

/// "There can not be more than <limit> items in this control!" (31120).
base::Error TooManyItemsError(int limit);

/// "Can not add a control to MS MapPoint." (31110).
base::Error NoControlsOnHostError();

/// "Illegal character in the <name> commandbar name." (31102).
base::Error IllegalBarNameError(std::string_view barName);

/// "The <class> class can not be contained in the <owner> class." (31112), for a command
/// bar or ribbon tab whose owner is no add-in module; `owner` is "nil" when there is none.
base::Error ModuleOwnerError(std::string_view className, std::string_view ownerClassName);

} // namespace tarvex::framework
