#include "framework/factory.h"

namespace tarvex::framework {

TadxFactory::TadxFactory(std::string serverName, std::string className, std::string description,
                         base::Guid classId, std::string addinFolder)
    : m_className(std::move(className))
    , m_description(std::move(description))
    , m_classId(classId)
    , m_progId(serverName + "." + m_className)
    , m_addinFolder(std::move(addinFolder)) {}

} // namespace tarvex::framework
