#include "ui/vouchers/voucher_print.h"

#include "app/catalogue.h"
#include "app/session.h"
#include "core/text.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "output/printer.h"
#include "ui/framework/fields.h"
#include "ui/shell/frame.h"
#include "ui/framework/preview.h"
#include "ui/vouchers/voucher_tools.h"
#include "vouchers/sheet_import.h"
#include "vouchers/sheet_print.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace hk::ui {

namespace text = core::text;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QWidget* withButton(QWidget* parent, QWidget* field, QPushButton*& button) {
    auto* w = new QWidget(parent);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(field);
    button = new QPushButton(QStringLiteral("..."), w);
    l->addWidget(button);
    return w;
}

void showError(app::Ui& ui, const core::Error& e, const std::string& caption) {
    if (!e.shown) ui.message(e.text, caption, app::Icon::Warning, "&Tamam", 1);
}

} // namespace

bool printVoucherSheets(data::DataSet& ds, app::Session& session, app::Ui& ui,
                        const SheetRoutes& routes, const std::string& firstKey,
                        const std::string& lastKey) {
    vouchers::SheetOptions o;
    o.kind = output::printerKind(session.YaziciAdi());
    o.lines33 = session.Fis33Satir;
    core::Result<vouchers::SheetResult> r = vouchers::SheetResult{};
    if (o.kind != output::PrinterKind::Ordinary) {
        auto target = routes.raw ? routes.raw(session.YaziciAdi())
                                 : output::openRawQueue(session.YaziciAdi());
        if (!target) {
            showError(ui, target.error(), "Fiş Yaz");
            return false;
        }
        output::RawSink sink(std::move(*target));
        r = vouchers::YFisRaporu(ds, firstKey, lastKey, o, sink);
    } else {
        output::Document doc;
        doc.title = "Fiş";
        doc.kind = o.kind;
        doc.printer = session.YaziciAdi();
        doc.style = vouchers::sheetPageStyle(o.kind);
        output::DocumentSink sink(doc);
        r = vouchers::YFisRaporu(ds, firstKey, lastKey, o, sink);
        if (r && !doc.pages.empty() && routes.preview) routes.preview(std::move(doc));
    }
    if (!r) {
        showError(ui, r.error(), "Fiş Yaz");
        return false;
    }
    return true;
}

bool printVoucher(data::DataSet& ds, app::Session& session, app::Ui& ui, const SheetRoutes& routes,
                  const std::string& key) {
    const std::string k = text::clip(key);
    if (k.empty()) {
        ui.message(kNoVoucherToPrint, "Fiş Yaz", app::Icon::Warning, "&Tamam", 1);
        return false;
    }
    auto heads = ds.open<data::FisBas>();
    if (!heads) {
        showError(ui, heads.error(), "Fiş Yaz");
        return false;
    }
    data::FisBas probe;
    probe.KEYSTR = k;
    if (auto h = heads->get("MFB:KeyFis", probe); !h) {
        if (!data::is(h.error(), data::ErrorCode::NotFound)) {
            showError(ui, h.error(), "Fiş Yaz");
            return false;
        }
        ui.message(k + kVoucherToPrintMissing, "Fiş Yaz", app::Icon::Warning, "&Tamam", 1);
        return false;
    }
    return printVoucherSheets(ds, session, ui, routes, k, k);
}

bool checkAttribute(data::DataSet& ds, app::Ui& ui, PictureEdit& field, bool always,
                    const AttributeChooser& choose) {
    const std::string typed = text::upperTr(text::trim(field.textValue()));
    auto kinds = ds.open<data::Nitelik>();
    if (!kinds) {
        showError(ui, kinds.error(), "FisNitelik");
        return false;
    }
    if (!always) {
        if (typed.empty()) return true;
        data::Nitelik k;
        k.FISNTLK = typed;
        if (kinds->get("MFN:KeyNtlk", k)) {
            field.setTextValue(typed);
            return true;
        }
    }
    if (choose) {
        const auto code = choose();
        if (!code) {
            field.setFocus();
            return false;
        }
        field.setTextValue(*code);
        return true;
    }
    std::vector<std::string> codes, items;
    if (kinds->set("MFN:KeyNtlk"))
        for (auto n = kinds->next(); n; n = kinds->next()) {
            codes.push_back(text::clip(n->FISNTLK));
            items.push_back(text::clip(n->FISNTLK) + "  " + text::clip(n->ACK));
        }
    const int chosen = ui.pick("Fiş Nitelikleri", items);
    if (chosen < 0 || chosen >= static_cast<int>(codes.size())) {
        field.setFocus();
        return false;
    }
    field.setTextValue(codes[static_cast<std::size_t>(chosen)]);
    return true;
}

BulkPrintWindow::BulkPrintWindow(data::DataSet& ds, app::Session& session, app::Ui& ui,
                                 SheetRoutes routes, QWidget* parent)
    : QDialog(parent), ds_(ds), session_(session), ui_(ui), routes_(std::move(routes)) {
    setWindowTitle(QStringLiteral("Toplu Fiş Yaz"));
    auto* form = new QFormLayout;
    fisTur = new QComboBox(this);
    fisTur->addItems({QStringLiteral("Mahsup"), QStringLiteral("Tahsil"), QStringLiteral("Tediye")});
    form->addRow(QStringLiteral("Fis Tur"), fisTur);
    nitelik = new PictureEdit("s3", this);
    form->addRow(QStringLiteral("Fiş Nitelik"), withButton(this, nitelik, nitelikAra));
    tarihBasi = new PictureEdit("d6", this);
    tarihSonu = new PictureEdit("d6", this);
    form->addRow(QStringLiteral("Fiş Tarih Başı"), tarihBasi);
    form->addRow(QStringLiteral("Fiş Tarih Sonu"), tarihSonu);
    noBasi = new PictureEdit("n5", this);
    noSonu = new PictureEdit("n5", this);
    form->addRow(QStringLiteral("Fiş No Başı"), noBasi);
    form->addRow(QStringLiteral("Fiş No Sonu"), noSonu);
    auto* buttons = new QHBoxLayout;
    fisYaz = new QPushButton(QStringLiteral("Fiş Yaz"), this);
    cikis = new QPushButton(QStringLiteral("Çıkış"), this);
    buttons->addWidget(fisYaz);
    buttons->addWidget(cikis);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);

    connect(nitelik, &QLineEdit::editingFinished, this,
            [this] { checkAttribute(ds_, ui_, *nitelik, false, chooseAttribute); });
    connect(nitelikAra, &QPushButton::clicked, this,
            [this] { checkAttribute(ds_, ui_, *nitelik, true, chooseAttribute); });
    // A typed start is copied into the end.
    connect(tarihBasi, &QLineEdit::editingFinished, this,
            [this] { tarihSonu->setText(tarihBasi->text()); });
    connect(noBasi, &QLineEdit::editingFinished, this,
            [this] { noSonu->setText(noBasi->text()); });
    connect(fisYaz, &QPushButton::clicked, this, [this] { printSelection(); });
    connect(cikis, &QPushButton::clicked, this, &QDialog::reject);
}

void BulkPrintWindow::printSelection() {
    auto start = tarihBasi->date();
    if (!start || !start->isSet()) return; // nothing happens while the start date is empty
    auto end = tarihSonu->date();
    auto from = noBasi->number();
    auto to = noSonu->number();
    if (!end || !from || !to) {
        ui_.message("Tarih ya da fiş numarası geçersiz.", "Toplu Fiş Yaz", app::Icon::Warning,
                    "&Tamam", 1);
        return;
    }
    if (!checkAttribute(ds_, ui_, *nitelik, false, chooseAttribute)) return;
    vouchers::BulkSelection s;
    s.type = "MAE"[fisTur->currentIndex() < 0 ? 0 : fisTur->currentIndex()];
    s.attribute = nitelik->textValue();
    s.startDate = *start;
    s.endDate = *end;
    s.startNumber = static_cast<int>(*from);
    s.endNumber = static_cast<int>(*to);
    auto keys = vouchers::selectVouchers(ds_, s);
    if (!keys) {
        showError(ui_, keys.error(), "Toplu Fiş Yaz");
        return;
    }
    for (const auto& k : *keys)
        if (!printVoucherSheets(ds_, session_, ui_, routes_, k, k)) break;
    accept();
}

SheetImportWindow::SheetImportWindow(data::DataSet& ds, app::Session& session, app::Ui& ui,
                                     QWidget* parent)
    : QDialog(parent), ds_(ds), session_(session), ui_(ui) {
    // The other package is named only here; the shell's menu already names the window.
    setWindowTitle(QStringLiteral("Excel'den Masraf Fişi Oku"));
    auto* form = new QFormLayout;
    dosya = new QLineEdit(this);
    dosya->setMaxLength(200);
    form->addRow(QStringLiteral("Excel Dosya Adı"), withButton(this, dosya, dosyaAra));
    nitelik = new PictureEdit("s3", this);
    form->addRow(QStringLiteral("Fiş Nitelik"), withButton(this, nitelik, nitelikAra));
    belgeAciklama = new PictureEdit("s50", this);
    form->addRow(QStringLiteral("Belge Açıklama"), belgeAciklama);
    belgeTipi = new QComboBox(this);
    belgeTipi->addItem(QString());
    for (const auto& t : vouchers::sheetDocumentTypes()) belgeTipi->addItem(q(t));
    form->addRow(QStringLiteral("Belge Tipi"), belgeTipi);
    odemeTipi = new PictureEdit("s20", this);
    form->addRow(QStringLiteral("Ödeme Tipi"), odemeTipi);
    durum = new QLabel(this);
    auto* buttons = new QHBoxLayout;
    oku = new QPushButton(QStringLiteral("Excel Fiş Oku"), this);
    cikis = new QPushButton(QStringLiteral("Çıkış"), this);
    buttons->addWidget(oku);
    buttons->addWidget(cikis);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(durum);
    top->addLayout(buttons);

    connect(dosyaAra, &QPushButton::clicked, this, [this] { chooseFile(); });
    connect(nitelik, &QLineEdit::editingFinished, this,
            [this] { checkAttribute(ds_, ui_, *nitelik, false, chooseAttribute); });
    connect(nitelikAra, &QPushButton::clicked, this,
            [this] { checkAttribute(ds_, ui_, *nitelik, true, chooseAttribute); });
    connect(oku, &QPushButton::clicked, this, [this] { runImport(); });
    connect(cikis, &QPushButton::clicked, this, &QDialog::reject);
}

void SheetImportWindow::chooseFile() {
    const std::string f =
        ui_.chooseFile("Excel Dosya Adı", "Excel (*.xls);;Excel7 (*.xlsx);;All Files (*.*)", false);
    if (!f.empty()) dosya->setText(q(f));
}

void SheetImportWindow::runImport() {
    vouchers::SheetImportChoices c;
    c.file = dosya->text().toStdString();
    c.attribute = nitelik->textValue();
    c.documentType = belgeTipi->currentText().toStdString();
    c.documentDescription = belgeAciklama->textValue();
    c.paymentType = odemeTipi->textValue();
    vouchers::Env env{session_, ui_, ds_};
    auto r = vouchers::HkrFiSOku(env, c);
    if (!r) {
        // A refused choice leaves the window open for another try.
        showError(ui_, r.error(), "Excel Fiş Oku");
        return;
    }
    durum->setText(q(std::to_string(r->saved) + " fiş kaydedildi, " +
                     std::to_string(r->refused) + " fiş kaydedilemedi."));
    // The window closes at the end of the sheet and after a date refusal.
    accept();
}

void registerVoucherPrintWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    app::ProcedureSpec import;
    import.name = "HkrFiSOku";
    import.run = [&frame](app::ProcedureContext& c, const app::Options&) -> core::Status {
        SheetImportWindow w(c.data, c.session, c.ui, &frame);
        w.chooseAttribute = [&c, &w] { return ui::chooseAttribute(c.data, c.ui, &w); };
        w.exec();
        return {};
    };
    registry.add(std::move(import));
    app::ProcedureSpec bulk;
    bulk.name = "TopluFisYaz";
    bulk.run = [&frame](app::ProcedureContext& c, const app::Options&) -> core::Status {
        app::Ui& ui = c.ui;
        SheetRoutes routes;
        routes.preview = [&frame, &ui](output::Document doc) {
            frame.openChild("YFisRaporu", std::make_unique<PreviewWindow>(std::move(doc), ui));
        };
        BulkPrintWindow w(c.data, c.session, ui, std::move(routes), &frame);
        w.chooseAttribute = [&c, &w] { return ui::chooseAttribute(c.data, c.ui, &w); };
        w.exec();
        return {};
    };
    registry.add(std::move(bulk));
    app::ProcedureSpec one;
    one.name = "FisYaz";
    one.run = [&frame](app::ProcedureContext& c, const app::Options& o) -> core::Status {
        app::Ui& ui = c.ui;
        SheetRoutes routes;
        routes.preview = [&frame, &ui](output::Document doc) {
            frame.openChild("YFisRaporu", std::make_unique<PreviewWindow>(std::move(doc), ui));
        };
        // Every refusal has been shown by printVoucher.
        (void)printVoucher(c.data, c.session, ui, routes, o.argument);
        return {};
    };
    registry.add(std::move(one));
}

} // namespace hk::ui
