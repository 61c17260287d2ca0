// The browse panel over a key range: key order and Turkish collation, tabs per key, the locator,
// lazy fetching of a long list, the action buttons under the list rights (the "Izle" caption
// included) and the delete confirmation and refusal asserted through the Ui port.
#include "app/rights.h"
#include "app/testing/fake_ui.h"
#include "data/errors.h"
#include "ui/framework/browse.h"
#include "ui/framework/browse_table.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QtTest>

#include <cstdio>

using hk::app::testing::FakeUi;
using hk::data::HsPlan;
using hk::ui::BrowsePanel;
using hk::ui::Column;
using hk::ui::KeyOrder;
using hk::ui::TableSource;

namespace {

HsPlan account(const std::string& code, const std::string& name, double debit = 0) {
    HsPlan h;
    h.HESAPKODU = code;
    h.HESAPAD1 = name;
    h.NTLK = "M";
    h.ACTLBORC = debit;
    return h;
}

std::shared_ptr<TableSource<HsPlan>> chart(const std::vector<HsPlan>& rows) {
    auto t = hk::data::Table::memory(hk::data::fileDef(hk::data::Layout::HsPlan), "HsPlan");
    hk::data::TypedTable<HsPlan> typed(std::move(t));
    for (const auto& r : rows) {
        auto st = typed.add(r);
        Q_ASSERT(st.ok());
    }
    std::vector<KeyOrder<HsPlan>> orders{{"HSP:KeyHesap",
                                          [](HsPlan& h, const std::string& s) {
                                              h.HESAPKODU = s;
                                              return true;
                                          }},
                                         {"HSP:KeyHesapAd", [](HsPlan& h, const std::string& s) {
                                              h.HESAPAD1 = s;
                                              return true;
                                          }}};
    std::vector<Column<HsPlan>> cols{{QStringLiteral("Hesap Kodu"), 18, "s18",
                                      [](const HsPlan& h) { return hk::ui::Cell{h.HESAPKODU}; }},
                                     {QStringLiteral("Hesap Adı"), 30, "s50",
                                      [](const HsPlan& h) { return hk::ui::Cell{h.HESAPAD1}; }},
                                     {QStringLiteral("Açılış Borç"), 14, "n18.2b",
                                      [](const HsPlan& h) { return hk::ui::Cell{h.ACTLBORC}; }}};
    return std::make_shared<TableSource<HsPlan>>(std::move(typed), std::move(orders),
                                                 std::move(cols));
}

QStringList column(const BrowsePanel& p, int col) {
    QStringList out;
    for (int r = 0; r < p.model()->rowCount(); ++r)
        out << p.model()->data(p.model()->index(r, col), Qt::DisplayRole).toString();
    return out;
}

void type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QString selectedCell(const BrowsePanel& p, int col) {
    return p.model()->data(p.model()->index(p.selectedIndex(), col), Qt::DisplayRole).toString();
}

hk::app::RightsService rightsFor(std::optional<hk::app::RightsRow> row) {
    return hk::app::RightsService("VELİ", false, [row](std::string_view, int) {
        return hk::core::Result<std::optional<hk::app::RightsRow>>(row);
    });
}

} // namespace

// A source whose file breaks after the first page.
class BrokenSource : public hk::ui::BrowseSource {
  public:
    std::vector<hk::ui::BrowseColumnInfo> columns() const override { return {{"Kod", 10, false}}; }
    hk::core::Result<std::vector<hk::ui::BrowseRow>> read(int, const hk::ui::BrowseRow* anchor,
                                                          bool, std::size_t n) override {
        if (anchor)
            return hk::data::engineError(hk::data::ErrorCode::EngineError, "HsPlan",
                                         "disk I/O error");
        std::vector<hk::ui::BrowseRow> rows(n);
        for (std::size_t i = 0; i < n; ++i)
            rows[i].cells << QString::number(i);
        return rows;
    }
    hk::core::Result<std::vector<hk::ui::BrowseRow>> locate(int, const std::string&,
                                                            std::size_t) override {
        return std::vector<hk::ui::BrowseRow>{};
    }
    hk::core::Result<std::vector<hk::ui::BrowseRow>> from(int, const hk::ui::BrowseRow&,
                                                          std::size_t) override {
        return std::vector<hk::ui::BrowseRow>{};
    }
};

class BrowseTest : public QObject {
    Q_OBJECT
  private slots:
    void listsInKeyOrderWithTurkishCollationPerTab() {
        FakeUi ui;
        BrowsePanel p(
            chart({account("320", "Ödeme"), account("100", "Cari"), account("120", "İade", 1234.5),
                   account("102", "Işık"), account("101", "Ozan"), account("110", "Çek")}),
            {QStringLiteral("Kod"), QStringLiteral("Ad")}, ui);
        QCOMPARE(p.tabs()->count(), 2);
        QCOMPARE(column(p, 0), QStringList({"100", "101", "102", "110", "120", "320"}));
        // the amount column goes through the picture: grouping, two decimals, blank when zero
        QCOMPARE(column(p, 2), QStringList({"", "", "", "", "1,234.50", ""}));
        p.tabs()->setCurrentIndex(1);
        QCOMPARE(column(p, 1), QStringList({"Cari", "Çek", "Işık", "İade", "Ozan", "Ödeme"}));
        QCOMPARE(p.selectedIndex(), 0);
    }

    void rowColoursComeFromTheRecord() {
        FakeUi ui;
        auto src = chart({account("100", "Kasa"), account("101", "Çekler")});
        src->foreground = [](const HsPlan& h) -> std::optional<QColor> {
            if (h.HESAPKODU == "101") return QColor(Qt::red);
            return std::nullopt;
        };
        BrowsePanel p(src, {QStringLiteral("Kod")}, ui);
        QVERIFY(!p.model()->data(p.model()->index(0, 1), Qt::ForegroundRole).isValid());
        QCOMPARE(p.model()->data(p.model()->index(1, 1), Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::red));
    }

    void aReadFailureIsReportedOnceAndStopsTheFetching() {
        FakeUi ui;
        BrowsePanel p(std::make_shared<BrokenSource>(), {}, ui);
        const int page = p.model()->rowCount();
        QVERIFY(p.model()->canFetchMore({}));
        p.model()->fetchMore({});
        QVERIFY(!p.model()->canFetchMore({}));
        QCOMPARE(p.model()->rowCount(), page); // what was read stays
        QTRY_COMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(ui.messages[0].caption, std::string("Kayıt okuma sıra hatası"));
        QVERIFY(ui.messages[0].text.find("disk I/O error") != std::string::npos);
        QCoreApplication::processEvents();
        QCOMPARE(ui.messages.size(), std::size_t(1)); // once
    }

    void locatorPositionsAsYouType() {
        FakeUi ui;
        BrowsePanel p(
            chart({account("100", "Kasa"), account("120", "Alıcılar"), account("320", "Satıcılar"),
                   account("600", "Şube Satışları"), account("602", "Diğer Gelirler")}),
            {QStringLiteral("Kod"), QStringLiteral("Ad")}, ui);
        p.locator()->setFocus();
        type(p.locator(), QStringLiteral("3"));
        QCOMPARE(selectedCell(p, 0), QStringLiteral("320"));
        type(p.locator(), QStringLiteral("5")); // "35": next code at or after it
        QCOMPARE(selectedCell(p, 0), QStringLiteral("600"));
        type(p.locator(), QStringLiteral("9")); // "359"
        QCOMPARE(selectedCell(p, 0), QStringLiteral("600"));
        p.locator()->clear();
        type(p.locator(), QStringLiteral("7")); // past the last code: the last line
        QCOMPARE(selectedCell(p, 0), QStringLiteral("602"));
        p.tabs()->setCurrentIndex(1);
        QVERIFY(p.locator()->text().isEmpty());
        type(p.locator(), QStringLiteral("ş")); // case-insensitive key, Turkish letter
        QCOMPARE(selectedCell(p, 1), QStringLiteral("Şube Satışları"));
        type(p.locator(), QStringLiteral("X"));
        QCOMPARE(selectedCell(p, 1), QStringLiteral("Şube Satışları")); // nothing beyond: last line
    }

    void longListOpensWithOnePageAndFetchesAsItScrolls() {
        FakeUi ui;
        std::vector<HsPlan> rows;
        char code[8];
        for (int i = 0; i < 3000; ++i) {
            std::snprintf(code, sizeof code, "%05d", i);
            rows.push_back(account(code, "Hesap"));
        }
        BrowsePanel p(chart(rows), {QStringLiteral("Kod")}, ui);
        QVERIFY(!p.tabs()->isVisible());
        const int page = static_cast<int>(p.model()->pageSize());
        QCOMPARE(p.model()->rowCount(), page);
        QVERIFY(p.model()->canFetchMore({}));
        p.model()->fetchMore({});
        QCOMPARE(p.model()->rowCount(), 2 * page);
        QCOMPARE(column(p, 0).at(2 * page - 1), QString("%1").arg(2 * page - 1, 5, 10, QChar('0')));

        // the locator jumps into the middle without reading what lies between
        p.locator()->setText(QStringLiteral("02500"));
        emit p.locator()->textEdited(p.locator()->text());
        QCOMPARE(selectedCell(p, 0), QStringLiteral("02500"));
        QVERIFY(p.model()->rowCount() <= 4 * page);
        // one page before it is there to scroll back into; reaching the top reads the next one
        QCOMPARE(column(p, 0).first(), QString("%1").arg(2500 - page, 5, 10, QChar('0')));
        auto earlier = p.model()->fetchEarlier();
        QVERIFY(earlier.ok());
        QCOMPARE(earlier.value(), page);
        QCOMPARE(column(p, 0).first(), QString("%1").arg(2500 - 2 * page, 5, 10, QChar('0')));
        QCOMPARE(selectedCell(p, 0), QStringLiteral("02500")); // the selection stays on its line
        // and the end of the file stops the fetching
        while (p.model()->canFetchMore({}))
            p.model()->fetchMore({});
        QCOMPARE(column(p, 0).last(), QStringLiteral("02999"));
        QStringList all = column(p, 0);
        QCOMPARE(all.size(), 3000 - (2500 - 2 * page));
        QVERIFY(std::is_sorted(all.begin(), all.end()));
        QCOMPARE(all.removeDuplicates(), 0);
    }

    void buttonsFollowTheListRights_data() {
        QTest::addColumn<QString>("rights"); // GOSTER IZLE YENIGIR DEGISTIR SIL, "-" = no row
        QTest::addColumn<bool>("insert");
        QTest::addColumn<bool>("change");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("remove");
        QTest::newRow("no row") << "-" << false << false << "&Değiştir" << false;
        QTest::newRow("all") << "EEEEE" << true << true << "&Değiştir" << true;
        QTest::newRow("view only") << "EEHHH" << false << true << "&Izle" << false;
        QTest::newRow("no view no change") << "EHEHE" << true << false << "&Değiştir" << true;
        QTest::newRow("change wins over view") << "EEHEH" << false << true << "&Değiştir" << false;
    }

    void buttonsFollowTheListRights() {
        QFETCH(QString, rights);
        QFETCH(bool, insert);
        QFETCH(bool, change);
        QFETCH(QString, caption);
        QFETCH(bool, remove);
        std::optional<hk::app::RightsRow> row;
        if (rights != "-") {
            auto s = [&](int i) { return rights.mid(i, 1).toStdString(); };
            row = hk::app::RightsRow{s(0), s(1), s(2), s(3), s(4)};
        }
        FakeUi ui;
        BrowsePanel p(chart({account("100", "Kasa")}), {QStringLiteral("Kod")}, ui);
        p.show();
        p.applyRights(rightsFor(row), 3000);
        QCOMPARE(p.changeMode(),
                 caption == "&Izle" ? hk::ui::FormMode::View : hk::ui::FormMode::Change);
        QCOMPARE(p.insertButton()->isVisible(), insert);
        QCOMPARE(p.insertButton()->isEnabled(), insert);
        QCOMPARE(p.changeButton()->isVisible(), change);
        QCOMPARE(p.changeButton()->text(), caption);
        QCOMPARE(p.removeButton()->isVisible(), remove);
        // an action that is not allowed says so instead of running
        bool ran = false;
        p.onInsert = [&] {
            ran = true;
            return false;
        };
        p.insert();
        QCOMPARE(ran, insert);
        if (!insert) QCOMPARE(ui.messages.back().caption, std::string("Hatalı işlem"));
    }

    void deleteIsConfirmedAndARefusalIsReported() {
        FakeUi ui;
        auto src = chart(
            {account("100", "Kasa"), account("101", "Alınan Çekler"), account("102", "Bankalar")});
        BrowsePanel p(src, {QStringLiteral("Kod")}, ui);
        p.allowAll();
        p.onRemove = [&](const hk::ui::BrowseRow& row) -> hk::core::Status {
            const HsPlan& h = TableSource<HsPlan>::record(row);
            if (h.HESAPKODU == "100")
                return hk::data::engineError(hk::data::ErrorCode::RelatedRecords, "FisDet", {}, 30);
            HsPlan key = h;
            auto& t = src->table();
            if (auto g = t.get("HSP:KeyHesap", key); !g) return g.error();
            return t.erase();
        };
        p.selectRow(1);
        ui.answer(2); // "&Hayır"
        p.remove();
        QCOMPARE(ui.messages.back().caption, std::string("Silme onayı"));
        QCOMPARE(ui.messages.back().buttons, std::string("&Evet|&Hayır"));
        QCOMPARE(column(p, 0), QStringList({"100", "101", "102"}));

        ui.answer(1);
        p.remove();
        QCOMPARE(column(p, 0), QStringList({"100", "102"}));
        QCOMPARE(selectedCell(p, 0), QStringLiteral("102")); // the line that followed

        p.selectRow(0);
        ui.answer(1);
        p.remove();
        QCOMPARE(ui.messages.back().caption, std::string("Dosya bağlantı hatası"));
        QVERIFY(ui.messages.back().text.find("FisDet") != std::string::npos);
        QCOMPARE(column(p, 0), QStringList({"100", "102"}));
    }
};

QTEST_MAIN(BrowseTest)
#include "browse_test.moc"
