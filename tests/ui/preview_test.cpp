// The print preview window: page navigation, zoom, save as PDF and printing, with every message
// going through the scripted Ui.
#include "app/testing/fake_ui.h"
#include "ui/framework/preview.h"

#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

#include <cstdio>
#include <filesystem>
#include <memory>

using hk::app::testing::FakeUi;
using hk::output::Document;
using hk::output::Line;
using hk::ui::PreviewWindow;
namespace fs = std::filesystem;

namespace {

Document threePages() {
    Document doc;
    doc.title = "Mizan";
    doc.style.fontPoints = 9;
    doc.pages = {
        {1, {Line::text("BİRİNCİ SAYFA"), Line::text("100 KASA")}, true},
        {2, {Line::text("İKİNCİ SAYFA ğüşiöç")}, true},
        {3, {Line::text("ÜÇÜNCÜ SAYFA")}, false},
    };
    return doc;
}

std::string sh(const std::string& cmd) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p.get()))
        out.append(buf, n);
    return out;
}

int pdfPages(const fs::path& pdf) {
    const std::string info = sh("pdfinfo '" + pdf.string() + "' 2>/dev/null");
    const auto pos = info.find("Pages:");
    return pos == std::string::npos ? -1 : std::stoi(info.substr(pos + 6));
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

    fs::path dir_;

    template <typename T> static T* child(QWidget& w, const char* name) {
        return w.findChild<T*>(QLatin1String(name));
    }
    static void click(QWidget& w, const char* name) {
        auto* b = child<QPushButton>(w, name);
        QVERIFY2(b, name);
        QVERIFY2(b->isEnabled(), name);
        QTest::mouseClick(b, Qt::LeftButton);
    }

  private slots:
    void init() {
        dir_ = fs::temp_directory_path() / "hk_preview_test";
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void cleanup() { fs::remove_all(dir_); }

    void navigatesPagesWithButtonsAndKeys() {
        FakeUi ui;
        PreviewWindow w(threePages(), ui);
        w.show();
        QCOMPARE(w.pageCount(), 3);
        QCOMPARE(w.currentPage(), 1);
        QCOMPARE(child<QLabel>(w, "pageLabel")->text(), QStringLiteral("Sayfa 1 / 3"));
        QVERIFY(!child<QPushButton>(w, "firstPage")->isEnabled());
        QVERIFY(!child<QPushButton>(w, "previousPage")->isEnabled());
        const QImage page1 = child<QLabel>(w, "pageImage")->pixmap().toImage();
        QVERIFY(!page1.isNull());

        click(w, "nextPage");
        QCOMPARE(w.currentPage(), 2);
        QCOMPARE(child<QLabel>(w, "pageLabel")->text(), QStringLiteral("Sayfa 2 / 3"));
        QVERIFY(child<QLabel>(w, "pageImage")->pixmap().toImage() != page1);

        click(w, "lastPage");
        QCOMPARE(w.currentPage(), 3);
        QVERIFY(!child<QPushButton>(w, "nextPage")->isEnabled());
        QVERIFY(!child<QPushButton>(w, "lastPage")->isEnabled());

        QTest::keyClick(&w, Qt::Key_PageUp);
        QCOMPARE(w.currentPage(), 2);
        QTest::keyClick(&w, Qt::Key_Home);
        QCOMPARE(w.currentPage(), 1);
        QTest::keyClick(&w, Qt::Key_PageUp); // already on the first page
        QCOMPARE(w.currentPage(), 1);
        QTest::keyClick(&w, Qt::Key_End);
        QCOMPARE(w.currentPage(), 3);
        QVERIFY(ui.messages.empty());
    }

    void zoomChangesThePageImage() {
        FakeUi ui;
        PreviewWindow w(threePages(), ui);
        const int width = child<QLabel>(w, "pageImage")->pixmap().width();
        click(w, "zoomIn");
        // A4 at 1.25 times the screen resolution, give or take the rounding of the paper size.
        QVERIFY(std::abs(child<QLabel>(w, "pageImage")->pixmap().width() - width * 1.25) <= 2);
        click(w, "zoomOut");
        click(w, "zoomOut");
        QVERIFY(child<QLabel>(w, "pageImage")->pixmap().width() < width);
    }

    void emptyDocumentOffersNothing() {
        FakeUi ui;
        PreviewWindow w(Document{}, ui);
        QCOMPARE(w.currentPage(), 0);
        QCOMPARE(child<QLabel>(w, "pageLabel")->text(), QStringLiteral("Sayfa yok"));
        for (const char* name :
             {"firstPage", "previousPage", "nextPage", "lastPage", "print", "savePdf", "zoomIn"})
            QVERIFY2(!child<QPushButton>(w, name)->isEnabled(), name);
        w.saveAsPdf(); // asks nothing: FakeUi would throw on an unscripted file choice
        QVERIFY(ui.messages.empty());
    }

    void savesAllPagesAsPdf() {
        FakeUi ui;
        PreviewWindow w(threePages(), ui);
        ui.files.push_back((dir_ / "mizan").string()); // the extension is added
        click(w, "savePdf");
        QVERIFY(ui.messages.empty());
        QCOMPARE(pdfPages(dir_ / "mizan.pdf"), 3);
        const std::string text =
            sh("pdftotext -enc UTF-8 '" + (dir_ / "mizan.pdf").string() + "' -");
        QVERIFY(text.find("İKİNCİ SAYFA ğüşiöç") != std::string::npos);
    }

    void cancelledSaveWritesNothing() {
        FakeUi ui;
        PreviewWindow w(threePages(), ui);
        ui.files.push_back("");
        click(w, "savePdf");
        QVERIFY(ui.messages.empty());
        QVERIFY(fs::is_empty(dir_));
    }

    void failedSaveIsReportedAndLeavesNoFile() {
        FakeUi ui;
        PreviewWindow w(threePages(), ui);
        ui.files.push_back((dir_ / "olmayan" / "mizan.pdf").string());
        click(w, "savePdf");
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].caption),
                 QStringLiteral("PDF olarak kaydet"));
        QVERIFY(ui.messages[0].icon == hk::app::Icon::Warning);
        QVERIFY(ui.messages[0].text.find("mizan.pdf") != std::string::npos);
        QVERIFY(fs::is_empty(dir_));
    }

    void printsAPageRange() {
        FakeUi ui;
        PreviewWindow w(threePages(), ui);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const fs::path out = dir_ / "yazici.pdf";
        printer.setOutputFileName(QString::fromStdString(out.string()));
        const auto st = w.printTo(printer, 2, 3);
        QVERIFY(st.ok());
        QCOMPARE(pdfPages(out), 2);
        const std::string text = sh("pdftotext -enc UTF-8 '" + out.string() + "' -");
        QVERIFY(text.find("BİRİNCİ") == std::string::npos);
        QVERIFY(text.find("İKİNCİ") != std::string::npos);
        QVERIFY(text.find("ÜÇÜNCÜ") != std::string::npos);
        QVERIFY(!w.printTo(printer, 3, 2).ok());
    }

    void textPrinterDocumentWithoutItsPrinterIsReported() {
        FakeUi ui;
        Document doc = threePages();
        doc.kind = hk::output::PrinterKind::Lpq;
        doc.printer = "LPQ_hk_test_olmayan";
        PreviewWindow w(std::move(doc), ui);
        click(w, "print");
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].caption), QStringLiteral("Yazdır"));
        QVERIFY(ui.messages[0].text.find("LPQ_hk_test_olmayan") != std::string::npos);
    }
};

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
