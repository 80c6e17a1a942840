#include "reports/previewstore.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryFile>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace pelanova {

namespace {

// An image of the store's rows of eight-bit grey.
QImage grayImage(const QByteArray &raw, int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), raw.constData() + static_cast<qsizetype>(y) * width, static_cast<size_t>(width));
    return image;
}

} // namespace

PreviewStore::PreviewStore() = default;
PreviewStore::~PreviewStore() = default;

void PreviewStore::clear()
{
    m_pending.clear();
    m_file.reset(); // removes the old file
    m_entries.clear();
    m_pageImages.clear();
    m_shown = -1;
    m_shownImage = QImage();
    ++m_generation;
}

int PreviewStore::append(const QImage &image, bool show)
{
    writePending();
    if (!m_file) {
        m_file = std::make_unique<QTemporaryFile>(QDir::tempPath()
                                                  + QStringLiteral("/pelanova-preview-XXXXXX.tmp"));
        if (!m_file->open())
            throw std::runtime_error("cannot create the preview file: "
                                     + m_file->errorString().toStdString());
    }
    // Report pages are black on white: eight bits of grey keep every shade of
    // the anti-aliased text at a quarter of the size, and compress well. The
    // loop is several times faster than QImage's general conversion.
    const QImage source = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                              ? image
                              : image.convertToFormat(QImage::Format_RGB32);
    const int width = source.width();
    const int height = source.height();
    QByteArray raw;
    raw.resize(static_cast<qsizetype>(width) * height);
    auto *out = reinterpret_cast<uchar *>(raw.data());
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < width; ++x)
            *out++ = static_cast<uchar>(qGray(line[x]));
    }
    m_entries.push_back(Entry{-1, 0, width, height});
    if (show) {
        // Shown at once; compressed into the file when the next image comes
        // or another is asked for, so that the clerk does not wait for it.
        m_shownImage = grayImage(raw, width, height);
        m_shown = count() - 1;
        ++m_generation;
        m_pending = std::move(raw);
    } else {
        write(m_entries.back(), raw);
    }
    return count() - 1;
}

void PreviewStore::write(Entry &entry, const QByteArray &raw) const
{
    const QByteArray packed = qCompress(raw, 1);
    const int64_t offset = m_file->size();
    if (!m_file->seek(offset) || m_file->write(packed) != packed.size())
        throw std::runtime_error("cannot write the preview file: "
                                 + m_file->errorString().toStdString());
    entry.offset = offset;
    entry.length = packed.size();
}

void PreviewStore::writePending() const
{
    if (m_pending.isEmpty())
        return;
    // The shown image is the last one stored: no other came after it.
    const QByteArray raw = std::exchange(m_pending, QByteArray());
    write(m_entries.back(), raw);
}

bool PreviewStore::show(int index)
{
    if (index < 0 || index >= count())
        return false;
    writePending();
    const Entry &entry = m_entries[static_cast<size_t>(index)];
    m_file->flush();
    if (!m_file->seek(entry.offset))
        throw std::runtime_error("cannot read the preview file");
    const QByteArray packed = m_file->read(entry.length);
    const QByteArray raw = qUncompress(packed);
    if (raw.size() != static_cast<qsizetype>(entry.width) * entry.height)
        throw std::runtime_error("the preview file is damaged");
    m_shownImage = grayImage(raw, entry.width, entry.height);
    m_shown = index;
    ++m_generation;
    return true;
}

void PreviewStore::recordPage(int page, int imageIndex)
{
    if (page < 1)
        return;
    if (static_cast<size_t>(page) > m_pageImages.size())
        m_pageImages.resize(static_cast<size_t>(page), -1);
    m_pageImages[static_cast<size_t>(page - 1)] = imageIndex;
}

int PreviewStore::imageOfPage(int page) const
{
    if (page < 1 || page > pageCount())
        return -1;
    const int index = m_pageImages[static_cast<size_t>(page - 1)];
    return index < count() ? index : -1; // a page on a sheet not yet stored
}

int PreviewStore::firstPageOfImage(int index) const
{
    auto it = std::find(m_pageImages.begin(), m_pageImages.end(), index);
    return it == m_pageImages.end() ? 0 : static_cast<int>(it - m_pageImages.begin()) + 1;
}

int PreviewStore::lastPageOfImage(int index) const
{
    auto it = std::find(m_pageImages.rbegin(), m_pageImages.rend(), index);
    return it == m_pageImages.rend() ? 0 : static_cast<int>(m_pageImages.rend() - it);
}

QString PreviewStore::fileName() const { return m_file ? m_file->fileName() : QString(); }
int64_t PreviewStore::fileSize() const
{
    if (!m_file)
        return 0;
    writePending();
    return m_file->size();
}

} // namespace pelanova
