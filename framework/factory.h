#pragma once

// TadxFactory: what the add-in's class factory knows about the add-in it creates. The COM
// class factory of qorvel.dll wraps one; the module reads its ProgID and folder.

#include <string>

#include "base/guid.h"

namespace tarvex::framework {

class TadxFactory {
public:
    /// `serverName` is the type library's name ("qorvel"), `className` the coclass's
    /// ("Tarvex"); `addinFolder` is the DLL's folder, ending in a backslash.
    TadxFactory(std::string serverName, std::string className, std::string description,
                base::Guid classId, std::string addinFolder);

    const std::string& ClassName() const noexcept { return m_className; }
    const std::string& Description() const noexcept { return m_description; }
    const base::Guid& ClassId() const noexcept { return m_classId; }
    /// "qorvel.Tarvex".
    const std::string& ProgId() const noexcept { return m_progId; }
    /// The folder of the DLL, ending in a backslash; the help file lies there.
    const std::string& AddinFolder() const noexcept { return m_addinFolder; }

private:
    std::string m_className;
    std::string m_description;
    base::Guid m_classId;
    std::string m_progId;
    std::string m_addinFolder;
};

} // namespace tarvex::framework
