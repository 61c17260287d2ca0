#include "accounts/report.h"

#include "accounts/chart.h"
#include "core/picture.h"
#include "core/text.h"

namespace hk::accounts {

namespace {

using core::text::pad;

constexpr const char* kTitle = "HESAP PLANI LİSTESİ";
constexpr std::size_t kLineWidth = 18 + 1 + 50 + 1 + 50 + 1 + 4 + 1 + 9 + 1 + 10;

// Column widths of the printed line: code, name 1, name 2, attribute, sub-unit, currency.
std::string line(std::string_view code, std::string_view n1, std::string_view n2,
                 std::string_view ntlk, std::string_view unit, std::string_view cur) {
    return core::text::clip(pad(code, 18) + " " + pad(n1, 50) + " " + pad(n2, 50) + " " +
                            pad(ntlk, 4) + " " + pad(unit, 9) + " " + pad(cur, 10));
}

std::string dateText(core::Date d) { return core::picture::format(d, "d06"); }

core::Status header(output::PageWriter& w, const ChartReportOptions& o) {
    using output::ControlCode;
    if (w.kind() == output::PrinterKind::Npq || w.kind() == output::PrinterKind::Lpq) {
        if (auto st = w.writeControl(output::controlBytes(
                w.kind(), {ControlCode::Reset, ControlCode::Elite12, ControlCode::Condensed}));
            !st)
            return st;
    } else if (auto st = w.write(""); !st) {
        return st;
    }
    const std::string top = pad(kTitle, 60) + "Tarih : " + dateText(o.date);
    if (auto st = w.writeEmphasised(top); !st) return st;
    if (auto st = w.write(""); !st) return st;
    if (auto st = w.write(line("Hesap Kodu", "Hesap Adı 1", "Hesap Adı 2", "Ntlk", "Alt Birim",
                               "Döviz Kodu"));
        !st)
        return st;
    return w.write(std::string(kLineWidth, '-'));
}

} // namespace

core::Status writeChartReport(data::DataSet& data, const ChartReportOptions& o,
                              output::PageWriter& w) {
    auto plan = data.open<data::HsPlan>();
    if (!plan) return plan.error();
    w.setPageHeader([&o](output::PageWriter& pw) { return header(pw, o); });
    core::Status failed;
    auto st = forEachAccount(*plan, o.from, o.to, [&](const data::HsPlan& a) {
        failed = w.write(line(a.HESAPKODU, a.HESAPAD1, a.HESAPAD2, a.NTLK, a.ALTBIRIM,
                              a.DOVIZKODU));
        return failed.ok();
    });
    if (!st) return st;
    if (!failed) return failed;
    if (w.kind() == output::PrinterKind::Npq)
        if (auto e = w.endPage(); !e) return e;
    return w.finish();
}

core::Result<output::Sheet> chartSheet(data::DataSet& data, const ChartReportOptions& o) {
    auto plan = data.open<data::HsPlan>();
    if (!plan) return plan.error();
    output::Sheet s;
    s.row().text(std::string(kTitle) + "                  Rapor Tarihi " + dateText(o.date));
    s.headingRow({{"Hesap Kodu"}, {"Hesap Adı 1"}, {"Hesap Adı 2"}, {"NTlk"}, {"AltBirim"},
                  {"Döviz Kodu"}},
                 output::RowStyle::Caption);
    auto st = forEachAccount(*plan, o.from, o.to, [&](const data::HsPlan& a) {
        s.row()
            .text(a.HESAPKODU)
            .text(a.HESAPAD1)
            .text(a.HESAPAD2)
            .text(a.NTLK)
            .text(a.ALTBIRIM)
            .text(a.DOVIZKODU);
        return true;
    });
    if (!st) return st.error();
    return s;
}

} // namespace hk::accounts
