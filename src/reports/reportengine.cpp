#include "reports/reportengine.h"

#include "reports/reportdataset.h"

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace pelanova {

namespace {

QFont toQFont(const ReportFont &font)
{
    QFont result(font.family);
    result.setPixelSize(std::max(1, font.height));
    result.setUnderline(font.underline);
    result.setBold(font.bold);
    // The same glyph advances on screen, paper and PDF, so that a text that
    // fits the preview also fits the printed field.
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

Qt::Alignment toQtAlignment(HAlign align)
{
    switch (align) {
    case HAlign::Left:
        return Qt::AlignLeft;
    case HAlign::Center:
        return Qt::AlignHCenter;
    case HAlign::Right:
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

} // namespace

ReportEngine::ReportEngine(ReportLayout *layout)
    : m_layout(layout)
{
}

ReportEngine::~ReportEngine()
{
    if (m_printPainter)
        abortPrintJob();
}

void ReportEngine::setPrintRange(int firstPage, int lastPage)
{
    m_firstPage = std::max(1, firstPage);
    m_lastPage = std::max(0, lastPage);
}

bool ReportEngine::isFinished() const
{
    if (!m_dataSet || !m_dataSet->isOpen() || m_dataSet->eof())
        return true;
    return m_state == State::Printing && m_lastPage > 0 && m_pageNumber >= m_lastPage;
}

QImage ReportEngine::blankPage() const
{
    QImage image(m_layout->pageSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void ReportEngine::startPreview()
{
    m_store.clear();
    m_sheet = QImage();
    m_sheetHasPages = false;
    m_pageNumber = 0;
    m_state = State::Previewing;
}

void ReportEngine::renderPreviewPage(bool show)
{
    if (m_page.isNull())
        m_page = blankPage();
    else
        m_page.fill(Qt::white);
    QImage &image = m_page;
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderPage(painter, 1.0);
    }
    m_store.recordPage(m_pageNumber, m_store.append(image, show));
}

void ReportEngine::renderReducedPage(int zoom, QPoint position)
{
    zoom = std::clamp(zoom, 25, 100);
    if (m_sheet.isNull())
        m_sheet = blankPage();
    {
        QPainter painter(&m_sheet);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(position);
        painter.scale(zoom / 100.0, zoom / 100.0);
        renderPage(painter, zoom / 100.0);
    }
    m_sheetHasPages = true;
    m_store.recordPage(m_pageNumber, m_store.count());
}

void ReportEngine::storeSheet(bool show)
{
    if (m_sheet.isNull())
        m_sheet = blankPage();
    m_store.append(m_sheet, show);
    m_sheet = QImage();
    m_sheetHasPages = false;
}

void ReportEngine::endPreview()
{
    if (m_state == State::Previewing)
        m_state = State::Idle;
}

bool ReportEngine::showPage(int page)
{
    const int index = m_store.imageOfPage(page);
    return index >= 0 && m_store.show(index);
}

void ReportEngine::startPrintJob(QPrinter *printer)
{
    if (m_printPainter)
        abortPrintJob();
    m_printer = printer;
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setDocName(title);
    m_state = State::Printing;
    m_pageNumber = 0;
    m_printedPages = 0;
    m_sheetPending = false;
}

void ReportEngine::printNextPage()
{
    if (m_state != State::Printing || !m_printer)
        throw std::logic_error("printNextPage outside a print job");
    if (m_pageNumber + 1 < m_firstPage) {
        // Rendered so that the data set and the report's totals advance as in
        // a full run; nothing of it reaches the printer.
        if (m_scratch.isNull())
            m_scratch = QImage(m_layout->pageSize(), QImage::Format_MonoLSB);
        QPainter painter(&m_scratch);
        renderPage(painter, 1.0);
        return;
    }
    if (!m_printPainter) {
        m_printPainter = std::make_unique<QPainter>();
        if (!m_printPainter->begin(m_printer)) {
            m_printPainter.reset();
            throw std::runtime_error("印刷を開始できませんでした．");
        }
    } else if (m_sheetPending) {
        if (!m_printer->newPage())
            throw std::runtime_error("プリンタが次のページを受け付けませんでした．");
    }
    m_sheetPending = false;

    QPainter &painter = *m_printPainter;
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing);
    // Device coordinates start at the printable area; layout units are
    // measured from the paper edge.
    const QPointF offset = m_printer->pageRect(QPrinter::DevicePixel).topLeft()
                           - m_printer->paperRect(QPrinter::DevicePixel).topLeft();
    painter.translate(-offset);
    const double scaleX = m_printer->logicalDpiX() / 96.0;
    const double scaleY = m_printer->logicalDpiY() / 96.0;
    painter.scale(scaleX, scaleY);
    renderPage(painter, scaleY);
    ++m_printedPages;
}

void ReportEngine::restartRun()
{
    m_pageNumber = 0;
    newSheet();
}

void ReportEngine::newSheet()
{
    if (m_printedPages > 0)
        m_sheetPending = true;
}

bool ReportEngine::endPrintJob()
{
    bool ok = true;
    if (m_printPainter) {
        ok = m_printPainter->end();
        m_printPainter.reset();
    }
    m_printer = nullptr;
    m_state = State::Idle;
    return ok;
}

void ReportEngine::abortPrintJob()
{
    if (m_printPainter) {
        if (m_printer)
            m_printer->abort();
        if (m_printPainter->isActive())
            m_printPainter->end();
        m_printPainter.reset();
    }
    m_printer = nullptr;
    m_state = State::Idle;
}

void ReportEngine::renderPage(QPainter &painter, double devicePixelsPerUnit)
{
    if (pageBeforePrint)
        pageBeforePrint();
    ++m_pageNumber;
    // Screen images (at most one pixel per unit) get lines of whole pixels.
    const bool snapLines = devicePixelsPerUnit <= 1.0;
    painter.save();
    for (const auto &band : m_layout->bands()) {
        const QPoint origin = band->rect().topLeft();
        const ReportFont bandFont = band->font.value_or(m_layout->defaultFont);
        drawFieldSet(painter, *band, origin, m_layout->defaultFont, snapLines);
        if (!band->isRowGrid())
            continue;
        auto &grid = static_cast<ReportRowGrid &>(*band);
        for (int row = 0; row < grid.rowCount(); ++row) {
            ReportRowLayout *layout = grid.rowChoice ? grid.rowChoice(row) : nullptr;
            if (!layout)
                continue;
            drawFieldSet(painter, *layout, origin + QPoint(0, grid.rowTop(row)), bandFont, snapLines);
        }
    }
    painter.restore();
    if (pageAfterPrint)
        pageAfterPrint();
}

void ReportEngine::drawFieldSet(QPainter &painter, const ReportFieldSet &set, QPoint origin,
                                const ReportFont &inherited, bool snapLines)
{
    if (set.beforePrint)
        set.beforePrint();
    const ReportFont font = set.font.value_or(inherited);
    for (const auto &field : set.fields())
        drawField(painter, *field, origin, field->font.value_or(font), snapLines);
}

void ReportEngine::drawField(QPainter &painter, const ReportField &field, QPoint origin,
                             const ReportFont &font, bool snapLines)
{
    const QRect r = field.rect.translated(origin);
    if (!field.transparent)
        painter.fillRect(r, Qt::white);

    if (!field.text.isEmpty()) {
        QRectF inner(r);
        // The margin is kept from the inner edge of a border line: the half
        // of a thick line that lies inside the field is no margin.
        switch (field.align) {
        case HAlign::Left:
            inner.setLeft(inner.left() + field.marginX + borderWidth(field.borders.left) / 2);
            break;
        case HAlign::Right:
            inner.setRight(inner.right() - field.marginX - borderWidth(field.borders.right) / 2);
            break;
        case HAlign::Center:
            break;
        }
        inner.setTop(inner.top() + field.marginY);
        inner.setBottom(inner.bottom() - field.marginY);
        int flags = static_cast<int>(toQtAlignment(field.align))
                    | (field.verticalCenter ? Qt::AlignVCenter : Qt::AlignTop)
                    | (field.wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
        painter.setFont(toQFont(font));
        painter.setPen(Qt::black);
        // A text that fits its field is drawn as it is; only one that would
        // spill is clipped (a clip per field more than doubles a PDF page).
        const QRectF needed = painter.boundingRect(inner, flags, field.text);
        if (QRectF(r).contains(needed)) {
            painter.drawText(inner, flags, field.text);
        } else {
            painter.save();
            painter.setClipRect(r, Qt::IntersectClip);
            painter.drawText(inner, flags, field.text);
            painter.restore();
        }
    }

    // Centre lines of the four borders: the unit row above / column left of
    // the field, and its last unit column / row.
    const double left = r.x() - 0.5;
    const double top = r.y() - 0.5;
    const double right = r.x() + r.width() - 0.5;
    const double bottom = r.y() + r.height() - 0.5;
    auto line = [&](BorderLine kind, const QRectF &area) {
        if (kind == BorderLine::None)
            return;
        if (!snapLines) {
            painter.fillRect(area, Qt::black);
            return;
        }
        // On a screen image a line is whole pixels: a line narrower than a
        // pixel becomes one pixel of grey, so that thin stays lighter than normal.
        const QTransform world = painter.worldTransform();
        const QRectF device = world.mapRect(area);
        const bool horizontalLine = area.width() > area.height();
        const double thickness = horizontalLine ? device.height() : device.width();
        const double centre = horizontalLine ? device.center().y() : device.center().x();
        const int pixels = std::max(1, static_cast<int>(std::lround(thickness)));
        const int start = static_cast<int>(std::floor(centre - pixels / 2.0 + 0.5));
        QRect snapped = horizontalLine
                            ? QRect(static_cast<int>(std::lround(device.left())), start,
                                    std::max(1, static_cast<int>(std::lround(device.width()))), pixels)
                            : QRect(start, static_cast<int>(std::lround(device.top())), pixels,
                                    std::max(1, static_cast<int>(std::lround(device.height()))));
        const int grey = thickness >= 1.0 ? 0 : static_cast<int>(255 * (1.0 - std::max(thickness, 0.35)));
        painter.setWorldTransform(QTransform());
        painter.fillRect(snapped, QColor(grey, grey, grey));
        painter.setWorldTransform(world);
    };
    auto horizontal = [&](BorderLine kind, double y) {
        const double w = borderWidth(kind);
        line(kind, QRectF(r.x() - 1.0, y - w / 2, r.width() + 1.0, w));
    };
    auto vertical = [&](BorderLine kind, double x) {
        const double w = borderWidth(kind);
        line(kind, QRectF(x - w / 2, r.y() - 1.0, w, r.height() + 1.0));
    };
    horizontal(field.borders.top, top);
    horizontal(field.borders.bottom, bottom);
    vertical(field.borders.left, left);
    vertical(field.borders.right, right);
}

} // namespace pelanova
