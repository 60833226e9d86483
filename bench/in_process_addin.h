#pragma once

// The add-in object in this process against a simulated Excel 2016, started and stopped as
// Office does it: the start-up benchmark's subject and, beside the real DLL under COM, its
// in-process baseline.

#include <cstddef>
#include <memory>
#include <optional>

#include "framework/addin_object.h"
#include "framework/factory.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/excel/office_host.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::bench {

class InProcessAddin {
public:
    InProcessAddin();

    /// Office's start-up of the add-in (sim::OfficeHost): OnConnection, the customUI document
    /// of Excel's workbook ribbon and its onLoad, OnStartupComplete. False when any of them
    /// failed or a message box appeared.
    bool Start();
    /// OnBeginShutdown and OnDisconnection (host shut-down).
    bool Stop();

    /// The size of the last customUI document, in characters.
    std::size_t DocumentSize() const noexcept { return m_documentSize; }

private:
    sim::SimExcel m_excel;
    sim::MemoryRegistry m_registry;
    sim::SimDesktop m_desktop;
    std::size_t m_messages = 0;
    std::size_t m_documentSize = 0;
    framework::TadxFactory m_factory;
    framework::TadxAddinProcessState m_process;
    host::Ref<host::Dispatch> m_addInInst;
    std::unique_ptr<framework::TadxAddin> m_addin;
    host::Ref<host::Dispatch> m_callbacks;
    bool m_failed = false;
    std::optional<sim::OfficeHost> m_office;
};

} // namespace tarvex::bench
