#pragma once
// The print preview: the pages of a report as they will come out, with page navigation,
// zoom, "Yazdır" (system print dialog) and "PDF olarak kaydet". A plain QWidget, so the frame
// can put it into its MDI area like every other child window.
//
// Documents laid out for a text printer ("LPQ") are printed raw on that printer, with their
// control bytes, instead of being painted through the print dialog: painted pages would reach
// the printer as graphics and its codes would be lost.

#include "app/ui.h"
#include "core/result.h"
#include "output/page.h"

#include <QWidget>

class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;

namespace hk::ui {

class PreviewWindow : public QWidget {
    Q_OBJECT

  public:
    PreviewWindow(output::Document doc, app::Ui& ui, QWidget* parent = nullptr);

    int pageCount() const { return static_cast<int>(doc_.pages.size()); }
    // 1-based position of the page shown; 0 when the document has no page.
    int currentPage() const { return current_; }
    double zoom() const { return zoom_; }
    const output::Document& document() const { return doc_; }

    // The work behind the buttons, without their dialogs.
    [[nodiscard]] core::Status savePdf(const std::string& path);
    [[nodiscard]] core::Status printTo(QPrinter& printer, int first = 0, int last = 0);

  public slots:
    void showPage(int page);
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();
    void print();
    void saveAsPdf();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void refresh();
    void complain(const core::Error& error, const std::string& caption);

    output::Document doc_;
    app::Ui& ui_;
    int current_ = 0;
    double zoom_ = 1.0;
    QScrollArea* scroll_ = nullptr;
    QLabel* image_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QPushButton* first_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* last_ = nullptr;
    QPushButton* zoomIn_ = nullptr;
    QPushButton* zoomOut_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* pdf_ = nullptr;
};

} // namespace hk::ui
