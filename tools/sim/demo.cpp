#include "tools/sim/demo.h"

#include <array>

namespace tarvex::simtool {

namespace {
struct Invoice {
    const char16_t* number;
    const char16_t* date;
    const char16_t* customer;
    const char16_t* amount;
};

constexpr std::array<Invoice, 12> kInvoices{{
    {u"INV-2026-0101", u"2026-11-02", u"Alder & Finch Ltd", u"1,240.00"},
    {u"INV-2026-0102", u"2026-11-03", u"Birchwood Cafe", u"86.50"},
    {u"INV-2026-0103", u"2026-11-05", u"Harbor Freight Lines", u"2,310.75"},
    {u"INV-2026-0104", u"2026-11-09", u"Alder & Finch Ltd", u"415.20"},
    {u"INV-2026-0105", u"2026-11-12", u"Quayside Marina", u"980.00"},
    {u"INV-2026-0106", u"2026-11-16", u"Birchwood Cafe", u"132.40"},
    {u"INV-2026-0107", u"2026-11-19", u"Northgate Schools", u"3,075.00"},
    {u"INV-2026-0108", u"2026-11-23", u"Harbor Freight Lines", u"1,118.90"},
    {u"INV-2026-0109", u"2026-11-26", u"Elm Street Dental", u"264.00"},
    {u"INV-2026-0110", u"2026-11-30", u"Quayside Marina", u"552.35"},
    {u"INV-2026-0111", u"2026-12-02", u"Northgate Schools", u"1,890.00"},
    {u"INV-2026-0112", u"2026-12-04", u"Alder & Finch Ltd", u"77.60"},
}};
} // namespace

void OpenDemoWorkbook(sim::SimExcel& excel) {
    excel.AddWorkbook(u"Invoices 2026.xlsx", {u"Register"});
    excel.SetText({1, 1}, u"Invoice");
    excel.SetText({1, 2}, u"Date");
    excel.SetText({1, 3}, u"Customer");
    excel.SetText({1, 4}, u"Amount");
    std::int32_t row = 2;
    for (const Invoice& invoice : kInvoices) {
        excel.SetText({row, 1}, invoice.number);
        excel.SetText({row, 2}, invoice.date);
        excel.SetText({row, 3}, invoice.customer);
        excel.SetText({row, 4}, invoice.amount);
        ++row;
    }
    excel.Select({row, 1, row, 1});
}

std::string_view TourScript() {
    return R"(# The invoice register of a small supplier is open in Excel:
show
# Tarvex should guard the invoice numbers. Select them and watch just that range,
# ignoring letter case, then switch Track on.
select A2:A1000
options columns=on rows=off column-scope=range case=off
track
# A new invoice with a new number: nothing to say.
type A14 INV-2026-0113
type C14 "Birchwood Cafe"
# Now an invoice is typed with a number that is already used (in lower case).
# Tarvex asks at once; the answer Yes jumps to the earlier invoice.
answer yes
type A15 inv-2026-0107
# The entry itself stays as typed; Tarvex never changes a cell.
show A14:A15
# Track off: entries are no longer checked.
track
type A16 INV-2026-0101
)";
}

} // namespace tarvex::simtool
