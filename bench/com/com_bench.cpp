// The real qorvel.dll under Wine, driven through real COM by a simulated Excel, beside the
// same add-in code linked into this program and called directly (the baseline, measured in
// the same run): what crossing COM adds to the add-in's own work.
//
// - per entry, tracking off, and tracking on for the column with a distinct entry, over
//   columns of 1 K, 64 K and 1,048,575 filled cells (a duplicate would show the real prompt,
//   a modal window, so it is left to the native benchmarks);
// - start-up: the add-in object created through the DLL's class factory, OnConnection,
//   the customUI document, the ribbon's onLoad and OnStartupComplete.
//
// Each figure is the median of several rounds of a mean over many calls (QueryPerformance-
// Counter). Before timing, one call runs with the simulated Excel's call log on; the program
// fails when the DLL's calls differ from the in-process module's. Output: one tab-separated
// line per figure (name, microseconds, baseline microseconds, host calls), read by
// scripts/bench-table.sh. Run it in a Wine prefix of its own: it writes the add-in's options.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <ole2.h>
#include <string>
#include <vector>

#include "addin/identity.h"
#include "bench/checked_entry.h"
#include "bench/filled_sheet.h"
#include "bench/in_process_addin.h"
#include "host/excel/excel.h"
#include "host/win/com_adapters.h"
#include "host/win/handles.h"
#include "host/win/registry.h"
#include "server/tarvex_object.h"
#include "sim/office/office.h"

namespace {

using namespace tarvex;
using bench::FilledSheet;
using bench::Line;
using win::ComPtr;

// The median over `rounds` of the mean time of one call of `once` over `iterations` calls,
// in microseconds.
double MedianMicroseconds(const std::function<void()>& once, int iterations, int rounds = 7) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> means;
    for (int round = 0; round < rounds; ++round) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        for (int i = 0; i < iterations; ++i)
            once();
        ::QueryPerformanceCounter(&end);
        means.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                        static_cast<double>(frequency.QuadPart) / iterations);
    }
    std::nth_element(means.begin(), means.begin() + rounds / 2, means.end());
    return means[static_cast<std::size_t>(rounds / 2)];
}

VARIANT Object(IDispatch* object) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_DISPATCH;
    value.pdispVal = object;
    return value;
}

// A call as Excel and Office make it: arguments last-first, through the callee's IDispatch.
HRESULT RawInvoke(IDispatch* callee, DISPID member, WORD flags, std::vector<VARIANT> args,
                  VARIANT* result = nullptr) {
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    return callee->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                          nullptr);
}

DISPID DispIdOf(IDispatch* dispatch, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

// The DLL's add-in object as Office drives it, against `excel`.
class DllAddin {
public:
    DllAddin(HMODULE dll, sim::SimExcel& excel, host::Ref<host::Dispatch> addInInst)
        : m_getClassObject(win::ProcAddress<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
              dll, "DllGetClassObject"))
        , m_excel(excel)
        , m_addInInst(std::move(addInInst)) {}

    // Creation through the class factory, connection, the ribbon's document and onLoad,
    // start-up completion.
    bool Start() {
        ComPtr<IClassFactory> factory;
        if (!m_getClassObject ||
            FAILED(m_getClassObject(win::ToGuid(addin::kClsidTarvex), IID_IClassFactory,
                                    factory.PutVoid())) ||
            FAILED(factory->CreateInstance(nullptr, server::kIidDTExtensibility2,
                                           m_extensibility.PutVoid())) ||
            FAILED(m_extensibility->QueryInterface(IID_IDispatch, m_dispatch.PutVoid())))
            return false;
        const ComPtr<IDispatch> application = win::ToCom(m_excel.Application().Get());
        const ComPtr<IDispatch> instance = win::ToCom(m_addInInst.Get());
        ComPtr<server::IRibbonExtensibility> ribbon;
        const win::UniqueBstr ribbonId(::SysAllocString(L"Microsoft.Excel.Workbook"));
        win::UniqueBstr xml;
        if (FAILED(m_extensibility->OnConnection(application.Get(), 1, instance.Get(), nullptr)) ||
            FAILED(m_extensibility->QueryInterface(server::kIidRibbonExtensibility,
                                                   ribbon.PutVoid())) ||
            FAILED(ribbon->GetCustomUI(ribbonId.Get(), xml.Put())))
            return false;
        m_document.assign(xml.Get(), ::SysStringLen(xml.Get()));
        const ComPtr<IDispatch> ribbonUI = win::ToCom(m_excel.Office().RibbonUI().Get());
        return Callback(L"RibbonLoaded_Callback", {Object(ribbonUI.Get())}) == S_OK &&
               SUCCEEDED(m_extensibility->OnStartupComplete(nullptr));
    }

    // Shut-down at Excel's exit, and the last release.
    bool Stop() {
        const bool stopped = m_extensibility &&
                             SUCCEEDED(m_extensibility->OnBeginShutdown(nullptr)) &&
                             SUCCEEDED(m_extensibility->OnDisconnection(0, nullptr));
        m_dispatch.Reset();
        m_extensibility.Reset();
        return stopped;
    }

    // Track pressed on the ribbon.
    bool PressTrack() {
        const std::wstring marker = L"<toggleButton idQ=\"default:";
        const std::size_t at = m_document.find(marker);
        if (at == std::wstring::npos)
            return false;
        const std::size_t begin = at + marker.size();
        const std::wstring id = m_document.substr(begin, m_document.find(L'"', begin) - begin);
        const ComPtr<IDispatch> control = win::ToCom(
            m_excel.Office().MakeRibbonControl(std::u16string(id.begin(), id.end())).Get());
        VARIANT pressed;
        ::VariantInit(&pressed);
        pressed.vt = VT_BOOL;
        pressed.boolVal = VARIANT_TRUE;
        return Callback(L"OnActionState_Callback", {pressed, Object(control.Get())}) == S_OK;
    }

private:
    HRESULT Callback(const wchar_t* name, std::vector<VARIANT> args) {
        return RawInvoke(m_dispatch.Get(), DispIdOf(m_dispatch.Get(), name), DISPATCH_METHOD,
                         std::move(args));
    }

    HRESULT(STDAPICALLTYPE* m_getClassObject)(REFCLSID, REFIID, void**);
    sim::SimExcel& m_excel;
    host::Ref<host::Dispatch> m_addInInst;
    ComPtr<server::IDTExtensibility2> m_extensibility;
    ComPtr<IDispatch> m_dispatch;
    std::wstring m_document;
};

// Stores the option that leaves only the column tracked (or restores both lines).
void TrackColumnOnly(bool columnOnly) {
    win::Win32Registry registry;
    std::unique_ptr<host::RegistryKey> key;
    if (base::Succeeded(registry.CreateKey(host::RegistryRoot::CurrentUser,
                                           "Software\\Morvane Software\\Tarvex\\Options", key)))
        static_cast<void>(
            key->SetValue("TrackRows", host::RegistryValue::FromDWord(columnOnly ? 0 : 1)));
}

struct Figure {
    std::string name;
    double microseconds = 0;
    double baseline = 0;
    std::size_t calls = 0;
};

// One check of the entry below a column of `filled` texts, through the DLL and in process.
bool MeasureEntry(HMODULE dll, std::int32_t filled, bool tracking, std::vector<Figure>& out) {
    FilledSheet& sheet = FilledSheet::Get(Line::Column, filled);
    sheet.Enter(u"INV-NEW");
    const int iterations = filled > 100000 ? 2000 : 5000;
    Figure figure;
    figure.name = tracking ? "column, distinct entry, " + std::to_string(filled) + " cells"
                           : "per entry, tracking off";

    // Through COM: Excel's SheetChange on the sink the DLL advised.
    static const host::Ref<host::Dispatch> noInstance;
    DllAddin addin(dll, sheet.excel, noInstance);
    if (!addin.Start() || (tracking && !addin.PressTrack()))
        return false;
    const auto sinks = sheet.excel.AdvisedSinks();
    if (sinks.size() != 1)
        return false;
    const ComPtr<IDispatch> sink = win::ToCom(sinks[0].Get());
    const ComPtr<IDispatch> application = win::ToCom(sheet.excel.Application().Get());
    VARIANT sheetObject;
    ::VariantInit(&sheetObject);
    RawInvoke(application.Get(), 0x133, DISPATCH_PROPERTYGET, {}, &sheetObject); // ActiveSheet
    const host::excel::Application app(sheet.excel.Application());
    const ComPtr<IDispatch> target =
        win::ToCom(app.GetRange(sim::FormatA1(sheet.entry)).Object().Get());
    const auto change = [&] {
        RawInvoke(sink.Get(), 0x61C, DISPATCH_METHOD, {Object(target.Get()), sheetObject});
    };
    sheet.excel.SetCallLogging(true);
    sheet.excel.ClearCalls();
    change();
    figure.calls = sheet.excel.Calls().size();
    sheet.excel.SetCallLogging(false);
    figure.microseconds = MedianMicroseconds(change, iterations);
    ::VariantClear(&sheetObject);
    const bool stopped = addin.Stop();

    // In process, on the same sheet after the DLL: the module's handler called directly.
    bench::CheckedEntry::Counts counts{};
    {
        bench::CheckedEntry entry(sheet, Line::Column, tracking);
        counts = entry.CountOneCheck();
        figure.baseline = MedianMicroseconds([&] { entry.Check(); }, iterations);
    }

    if (!stopped || counts.calls != figure.calls || counts.prompts != 0) {
        std::fprintf(stderr, "tarvex_com_bench: %s: the DLL made %zu calls, in process %zu\n",
                     figure.name.c_str(), figure.calls, counts.calls);
        return false;
    }
    out.push_back(figure);
    return true;
}

bool MeasureStartup(HMODULE dll, std::vector<Figure>& out) {
    sim::SimExcel excel;
    excel.AddWorkbook(u"Book1");
    excel.SetCallLogging(false);
    const host::Ref<host::Dispatch> addInInst =
        excel.Office().AddComAddIn(u"qorvel.Tarvex", u"{0}", u"Tarvex");
    constexpr int kRounds = 15;
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        DllAddin addin(dll, excel, addInInst);
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        const bool started = addin.Start();
        ::QueryPerformanceCounter(&end);
        if (!started || !addin.Stop())
            return false;
        times.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                        static_cast<double>(frequency.QuadPart));
    }
    std::nth_element(times.begin(), times.begin() + kRounds / 2, times.end());
    Figure figure{"start-up: creation + OnConnection + customUI + onLoad + OnStartupComplete",
                  times[kRounds / 2], 0, 0};

    bench::InProcessAddin inProcess;
    bool ok = true;
    figure.baseline = MedianMicroseconds(
        [&] {
            ok = inProcess.Start() && ok;
            ok = inProcess.Stop() && ok;
        },
        1, kRounds);
    if (!ok)
        return false;
    out.push_back(figure);
    return true;
}

} // namespace

int main() {
    if (FAILED(::CoInitialize(nullptr)))
        return 1;
    int status = 0;
    {
        wchar_t path[MAX_PATH];
        const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring dllPath(path, length);
        dllPath.erase(dllPath.find_last_of(L"\\/") + 1);
        dllPath += L"qorvel.dll";
        const win::UniqueHmodule dll(::LoadLibraryW(dllPath.c_str()));
        std::vector<Figure> figures;
        TrackColumnOnly(true);
        const bool measured = dll && MeasureEntry(dll.Get(), 1024, false, figures) &&
                              MeasureEntry(dll.Get(), 1024, true, figures) &&
                              MeasureEntry(dll.Get(), 65536, true, figures) &&
                              MeasureEntry(dll.Get(), 1048575, true, figures) &&
                              MeasureStartup(dll.Get(), figures);
        TrackColumnOnly(false);
        if (!measured) {
            std::fprintf(stderr, "tarvex_com_bench: a measurement failed\n");
            status = 1;
        }
        for (const Figure& figure : figures)
            std::printf("%s\t%.3f\t%.3f\t%zu\n", figure.name.c_str(), figure.microseconds,
                        figure.baseline, figure.calls);
    }
    ::CoUninitialize();
    return status;
}
