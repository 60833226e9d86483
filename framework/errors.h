#pragma once

// The frame's own error codes (31101 to 31120) and the errors built from them.

#include <string>
#include <string_view>

#include "host/error.h"

namespace tarvex::framework {

namespace error_code {
/// A required property was set to an empty value.
inline constexpr host::HResult EmptyProperty = 31101;
/// A component was created with an owner that cannot contain it.
inline constexpr host::HResult WrongOwner = 31113;
} // namespace error_code

/// "The <property> property can not be empty." (31101).
host::Error EmptyPropertyError(std::string_view property);

/// "The <class> class can not be contained in the <owner> class." (31113); `owner` is "nil"
/// when there is none.
host::Error WrongOwnerError(std::string_view className, std::string_view ownerClassName);

} // namespace tarvex::framework
