#include "foundation/grid/GridPreview.h"

#include "foundation/grid/GridPrinter.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"

#include <QAbstractScrollArea>
#include <QHBoxLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <deque>
#include <memory>

namespace {
constexpr int Gap = 12;          // pixels around and between the pages
constexpr int KeptImages = 6;    // pages kept drawn, for scrolling back
constexpr double ZoomStep = 1.25;
} // namespace

// The pages one under the other, each as wide as the view (times the zoom), drawn when it comes into view.
class GridPreview::PageView : public QAbstractScrollArea
{
public:
    explicit PageView(GridPrinter *printer, QWidget *parent)
        : QAbstractScrollArea(parent), m_printer(printer)
    {
        viewport()->setAutoFillBackground(false);
        setFrameShape(QFrame::StyledPanel);
    }

    void lay()
    {
        m_cache.clear();
        m_drawn = 0;
        m_layout.reset();
        try {
            m_layout = m_printer->layOutForPrinter();
        } catch (const std::exception &) {
            // A layout that cannot be made shows no page; the grid has told its failure.
        }
        updateScrollBars();
        viewport()->update();
    }

    int pageCount() const { return m_layout ? GridPrinter::pageCount(*m_layout) : 0; }
    int drawn() const { return m_drawn; }

    void zoom(double factor)
    {
        const double fraction = verticalScrollBar()->maximum() > 0
                                    ? double(verticalScrollBar()->value()) / verticalScrollBar()->maximum()
                                    : 0;
        m_zoom = qBound(0.25, m_zoom * factor, 8.0);
        m_cache.clear();
        updateScrollBars();
        verticalScrollBar()->setValue(int(fraction * verticalScrollBar()->maximum()));
        viewport()->update();
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QAbstractScrollArea::resizeEvent(event);
        updateScrollBars();
    }

    void scrollContentsBy(int, int) override { viewport()->update(); }

    void paintEvent(QPaintEvent *) override
    {
        QPainter p(viewport());
        p.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
        const int count = pageCount();
        if (count == 0)
            return;
        const QSize size = pageSize();
        const int step = size.height() + Gap;
        const int top = verticalScrollBar()->value();
        const int left = size.width() + 2 * Gap <= viewport()->width() ? (viewport()->width() - size.width()) / 2
                                                                        : Gap - horizontalScrollBar()->value();
        for (int index = qMax(0, (top - Gap) / step); index < count; ++index) {
            const int y = Gap + index * step - top;
            if (y >= viewport()->height())
                break;
            const QRect page(QPoint(left, y), size);
            p.fillRect(page.translated(3, 3), palette().color(QPalette::Shadow));
            p.drawImage(page.topLeft(), pageImage(index, size));
        }
    }

private:
    // A page's size on the screen: the view's width less the gaps, times the zoom; the paper's proportions.
    QSize pageSize() const
    {
        const QSizeF paper = m_printer->printer()->pageLayout().fullRect(QPageLayout::Point).size();
        const int width = qMax(1, int((viewport()->width() - 2 * Gap) * m_zoom));
        const int height = paper.width() > 0 ? int(width * paper.height() / paper.width()) : width;
        return QSize(width, qMax(1, height));
    }

    void updateScrollBars()
    {
        const QSize size = pageSize();
        const int total = Gap + pageCount() * (size.height() + Gap);
        verticalScrollBar()->setRange(0, qMax(0, total - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setSingleStep(qMax(1, size.height() / 20));
        horizontalScrollBar()->setRange(0, qMax(0, size.width() + 2 * Gap - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
    }

    const QImage &pageImage(int index, const QSize &size)
    {
        for (const Kept &k : m_cache)
            if (k.index == index && k.image.size() == size)
                return k.image;
        if (m_cache.size() >= KeptImages)
            m_cache.pop_front();
        m_cache.push_back({index, drawPage(index, size)});
        ++m_drawn;
        return m_cache.back().image;
    }

    // The page drawn as the printer draws it: the image takes the printer's resolution, so that the texts
    // have the sizes they have on paper, and the painter's scale brings the paper to the image.
    QImage drawPage(int index, const QSize &size) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QPrinter *printer = m_printer->printer();
        const int dpi = printer->resolution();
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        const QPageLayout layout = printer->pageLayout();
        const QRect full = layout.fullRectPixels(dpi);
        const QRect paint = layout.paintRectPixels(dpi);
        QPainter p(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        p.scale(double(size.width()) / qMax(1, full.width()), double(size.height()) / qMax(1, full.height()));
        p.translate(paint.topLeft() - full.topLeft());
        try {
            m_printer->drawPage(p, *m_layout, index + 1);
        } catch (const std::exception &) {
            // A page that cannot be drawn stays blank; the grid has told its failure.
        }
        return image;
    }

    struct Kept {
        int index;
        QImage image;
    };
    GridPrinter *m_printer;
    std::shared_ptr<const GridPrinter::Layout> m_layout;
    std::deque<Kept> m_cache;
    double m_zoom = 1.0;
    int m_drawn = 0;
};

GridPreview::GridPreview(GridPrinter *printer, QWidget *parent)
    : QWidget(parent), m_gridPrinter(printer)
{
    m_preview = new PageView(printer, this);
    m_preview->setObjectName(QStringLiteral("preview"));

    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("cmdClose"));
    m_pageSetup = new QPushButton(this);
    m_pageSetup->setObjectName(QStringLiteral("cmdPageSetup"));
    m_print = new QPushButton(this);
    m_print->setObjectName(QStringLiteral("cmdPrint"));
    // Zoom with the signs alone: no words to translate.
    m_zoomOut = new QToolButton(this);
    m_zoomOut->setText(QStringLiteral("\u2212"));
    m_zoomIn = new QToolButton(this);
    m_zoomIn->setText(QStringLiteral("+"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_close);
    buttons->addWidget(m_pageSetup);
    buttons->addWidget(m_print);
    buttons->addStretch(1);
    buttons->addWidget(m_zoomOut);
    buttons->addWidget(m_zoomIn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(m_preview, 1);

    connect(m_close, &QPushButton::clicked, this, &GridPreview::closeClicked);
    connect(m_pageSetup, &QPushButton::clicked, this, [this] { pageSetupClicked(); });
    connect(m_print, &QPushButton::clicked, this, [this] { printClicked(); });
    connect(m_zoomOut, &QToolButton::clicked, this, [this] { m_preview->zoom(1 / ZoomStep); });
    connect(m_zoomIn, &QToolButton::clicked, this, [this] { m_preview->zoom(ZoomStep); });
}

GridPreview::~GridPreview() = default;

void GridPreview::setButtonTexts(const QString &close, const QString &pageSetup, const QString &print)
{
    m_close->setText(close);
    m_pageSetup->setText(pageSetup);
    m_print->setText(print);
}

void GridPreview::updatePreview()
{
    m_preview->lay();
}

int GridPreview::pageCount() const
{
    return m_preview->pageCount();
}

QWidget *GridPreview::pagesWidget() const
{
    return m_preview;
}

int GridPreview::pagesDrawn() const
{
    return m_preview->drawn();
}

void GridPreview::pageSetupClicked()
{
    if (m_gridPrinter->pageSetup(this))
        updatePreview();
}

void GridPreview::printClicked()
{
    try {
        m_gridPrinter->printWithDialog(this);
    } catch (const platform::RuntimeError &e) {
        const QPrinter *printer = m_gridPrinter->printer();
        const bool toFile = printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty();
        emit printFailed(toFile ? printer->outputFileName() : QString(), ErrorDescription(e));
    }
}
