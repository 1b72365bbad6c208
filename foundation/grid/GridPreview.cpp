#include "foundation/grid/GridPreview.h"

#include "foundation/grid/GridPrinter.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"

#include <QHBoxLayout>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

GridPreview::GridPreview(GridPrinter *printer, QWidget *parent)
    : QWidget(parent), m_gridPrinter(printer)
{
    m_preview = new QPrintPreviewWidget(printer->printer(), this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setZoomMode(QPrintPreviewWidget::FitToWidth);
    m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);

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

    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter *p) { paint(p); });
    connect(m_close, &QPushButton::clicked, this, &GridPreview::closeClicked);
    connect(m_pageSetup, &QPushButton::clicked, this, [this] { pageSetupClicked(); });
    connect(m_print, &QPushButton::clicked, this, [this] { printClicked(); });
    connect(m_zoomOut, &QToolButton::clicked, m_preview, [this] { m_preview->zoomOut(); });
    connect(m_zoomIn, &QToolButton::clicked, m_preview, [this] { m_preview->zoomIn(); });
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
    m_preview->updatePreview();
}

int GridPreview::pageCount() const
{
    return m_preview->pageCount();
}

void GridPreview::paint(QPrinter *printer)
{
    try {
        m_gridPrinter->render(printer);
    } catch (const std::exception &) {
        // The preview's own printer always starts; a page that cannot be drawn stays empty.
    }
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
