#include "shell/PagePreview.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <list>

namespace cp {

namespace {

constexpr int kMargem = 16;  // around and between the pages, in screen pixels
// The page images kept, the most recently shown first, up to this many bytes.
constexpr qsizetype kBytesGuardados = 24 * 1024 * 1024;
// A page is shown between these widths on the screen.
constexpr double kLarguraMin = 200, kLarguraMax = 2400;

}  // namespace

class PagePreview::Sheets : public QAbstractScrollArea {
  public:
    Sheets(Pages pages, QWidget* parent) : QAbstractScrollArea(parent), pages_(std::move(pages)) {
        setFocusPolicy(Qt::StrongFocus);
        // Always there, so fitting the width does not make it appear and
        // cover the page's edge.
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        viewport()->setAutoFillBackground(false);
        verticalScrollBar()->setSingleStep(40);
        connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
            if (onPage) onPage(currentPage());
        });
    }

    std::function<void(int)> onPage;

    int count() const { return std::max(1, pages_.count); }
    double zoom() const { return zoom_; }
    int painted() const { return painted_; }

    void setZoom(double z) {
        z = std::clamp(z, kLarguraMin / pages_.size.width(), kLarguraMax / pages_.size.width());
        const int page = currentPage();
        zoom_ = z;
        images_.clear();
        relayout();
        goToPage(page);
    }
    void fitWidth() { setZoom((viewport()->width() - 2.0 * kMargem) / pages_.size.width()); }
    void fitPage() {
        setZoom(std::min((viewport()->width() - 2.0 * kMargem) / pages_.size.width(),
                         (viewport()->height() - 2.0 * kMargem) / pages_.size.height()));
    }

    int currentPage() const {
        return std::clamp((verticalScrollBar()->value() + pageHeight() / 2) / step(), 0,
                          count() - 1);
    }
    void goToPage(int page) {
        verticalScrollBar()->setValue(std::clamp(page, 0, count() - 1) * step());
    }

  protected:
    void resizeEvent(QResizeEvent* e) override {
        QAbstractScrollArea::resizeEvent(e);
        if (!fitted_ && viewport()->width() > 100) {
            fitted_ = true;
            fitWidth();
        } else {
            relayout();
        }
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(viewport());
        p.fillRect(viewport()->rect(), QColor(0x80, 0x80, 0x80));
        const int top = verticalScrollBar()->value();
        const int x = std::max(kMargem, (viewport()->width() - pageWidth()) / 2) -
                      horizontalScrollBar()->value();
        const int first = std::max(0, (top - kMargem) / step());
        for (int n = first; n < count(); ++n) {
            const int y = kMargem + n * step() - top;
            if (y > viewport()->height()) break;
            const QRect folha(x, y, pageWidth(), pageHeight());
            p.fillRect(folha.translated(3, 3), QColor(0x40, 0x40, 0x40));
            p.drawImage(folha.topLeft(), image(n));
        }
    }

  private:
    int pageWidth() const { return std::max(1, int(std::lround(pages_.size.width() * zoom_))); }
    int pageHeight() const { return std::max(1, int(std::lround(pages_.size.height() * zoom_))); }
    int step() const { return pageHeight() + kMargem; }

    void relayout() {
        const int alto = kMargem + count() * step();
        verticalScrollBar()->setRange(0, std::max(0, alto - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
        horizontalScrollBar()->setRange(
            0, std::max(0, pageWidth() + 2 * kMargem - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
        viewport()->update();
    }

    // The page as shown at the present zoom, painted when first needed.
    const QImage& image(int n) {
        for (auto it = images_.begin(); it != images_.end(); ++it)
            if (it->first == n) {
                images_.splice(images_.begin(), images_, it);
                return images_.front().second;
            }
        // The copies are black and grey on white: a byte a pixel holds them.
        QImage img(pageWidth(), pageHeight(), QImage::Format_Grayscale8);
        img.fill(Qt::white);
        // Fonts are measured at the device's resolution, so the page shown is
        // laid out as the one printed; the transform brings it to the screen.
        img.setDotsPerMeterX(int(std::lround(pages_.dpiX / 0.0254)));
        img.setDotsPerMeterY(int(std::lround(pages_.dpiY / 0.0254)));
        {
            QPainter p(&img);
            p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                             QPainter::SmoothPixmapTransform);
            p.scale(img.width() / pages_.size.width(), img.height() / pages_.size.height());
            if (pages_.paint) pages_.paint(p, n);
        }
        ++painted_;
        images_.emplace_front(n, std::move(img));
        qsizetype bytes = 0;
        for (auto it = images_.begin(); it != images_.end(); ++it) {
            bytes += it->second.sizeInBytes();
            if (bytes > kBytesGuardados && it != images_.begin()) {
                images_.erase(it, images_.end());
                break;
            }
        }
        return images_.front().second;
    }

    Pages pages_;
    double zoom_ = 0.1;
    bool fitted_ = false;
    int painted_ = 0;
    std::list<std::pair<int, QImage>> images_;  // the most recently shown first
};

PagePreview::PagePreview(Pages pages, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("VisualizarImpressao"));
    const int count = std::max(1, pages.count);
    sheets_ = new Sheets(std::move(pages), this);
    sheets_->setAccessibleName(QStringLiteral("Páginas"));

    auto* barra = new QToolBar(this);
    const auto botao = [&](const QString& texto, const QKeySequence& tecla, auto f) {
        QAction* a = barra->addAction(texto);
        if (!tecla.isEmpty()) {
            a->setShortcut(tecla);
            a->setToolTip(
                QStringLiteral("%1 (%2)").arg(texto, tecla.toString(QKeySequence::NativeText)));
        }
        connect(a, &QAction::triggered, this, f);
        return a;
    };
    Imprimir = botao(QStringLiteral("Imprimir..."), QKeySequence(Qt::CTRL | Qt::Key_P),
                     [this] { emit printRequested(); });
    barra->addSeparator();
    botao(QStringLiteral("Primeira"), QKeySequence(Qt::CTRL | Qt::Key_Home),
          [this] { goToPage(0); });
    botao(QStringLiteral("Anterior"), QKeySequence(Qt::Key_PageUp),
          [this] { goToPage(currentPage() - 1); });
    pagina_ = new QSpinBox(barra);
    pagina_->setRange(1, count);
    pagina_->setAccessibleName(QStringLiteral("Página"));
    pagina_->setKeyboardTracking(false);
    barra->addWidget(new QLabel(QStringLiteral(" Página "), barra));
    barra->addWidget(pagina_);
    total_ = new QLabel(QStringLiteral(" de %1 ").arg(count), barra);
    barra->addWidget(total_);
    connect(pagina_, &QSpinBox::valueChanged, this, [this](int v) {
        if (v - 1 != currentPage()) goToPage(v - 1);
    });
    botao(QStringLiteral("Próxima"), QKeySequence(Qt::Key_PageDown),
          [this] { goToPage(currentPage() + 1); });
    botao(QStringLiteral("Última"), QKeySequence(Qt::CTRL | Qt::Key_End),
          [this] { goToPage(pageCount() - 1); });
    barra->addSeparator();
    botao(QStringLiteral("Reduzir"), QKeySequence(Qt::Key_Minus),
          [this] { setZoom(zoom() / 1.25); });
    botao(QStringLiteral("Ampliar"), QKeySequence(Qt::Key_Plus),
          [this] { setZoom(zoom() * 1.25); });
    botao(QStringLiteral("Ajustar à largura"), QKeySequence(Qt::CTRL | Qt::Key_L),
          [this] { fitWidth(); });
    botao(QStringLiteral("Página inteira"), QKeySequence(Qt::CTRL | Qt::Key_K),
          [this] { fitPage(); });
    barra->addSeparator();
    botao(QStringLiteral("Fechar"), {}, [this] { reject(); });

    sheets_->onPage = [this](int n) { pageShown(n); };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(barra);
    layout->addWidget(sheets_, 1);
    sheets_->setFocus();
}

PagePreview::~PagePreview() = default;

int PagePreview::pageCount() const { return sheets_->count(); }
int PagePreview::currentPage() const { return sheets_->currentPage(); }
void PagePreview::goToPage(int page) {
    sheets_->goToPage(page);
    pageShown(sheets_->currentPage());
}
double PagePreview::zoom() const { return sheets_->zoom(); }
void PagePreview::setZoom(double zoom) { sheets_->setZoom(zoom); }
void PagePreview::fitWidth() { sheets_->fitWidth(); }
void PagePreview::fitPage() { sheets_->fitPage(); }
int PagePreview::paintedPages() const { return sheets_->painted(); }

void PagePreview::pageShown(int page) {
    const QSignalBlocker calado(pagina_);
    pagina_->setValue(page + 1);
}

}  // namespace cp
