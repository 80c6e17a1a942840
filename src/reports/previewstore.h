#pragma once

// The preview images of one preview run: each a full page or a sheet of
// reduced pages. Images are compressed into a temporary file as they are
// stored (one stored to be shown, once the next comes or another is shown);
// only the shown image is held in memory. The file is replaced by
// clear() (a new preview) and removed when the store is destroyed.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QTemporaryFile;

namespace pelanova {

class PreviewStore
{
public:
    PreviewStore();
    ~PreviewStore();
    PreviewStore(const PreviewStore &) = delete;
    PreviewStore &operator=(const PreviewStore &) = delete;

    // Empties the store and starts a new temporary file; nothing is shown.
    void clear();

    // Stores an image at the end; returns its index (0-based). With show,
    // it is also the shown image, as stored, without reading it back. Throws
    // std::runtime_error when the temporary file cannot be written.
    int append(const QImage &image, bool show = false);
    int count() const { return static_cast<int>(m_entries.size()); }

    // Loads and shows the image at index; false (nothing changes) when out of range.
    bool show(int index);
    int shownIndex() const { return m_shown; } // -1 when nothing is shown
    const QImage &shownImage() const { return m_shownImage; }
    bool isFirstShown() const { return m_shown <= 0; }
    bool isLastShown() const { return m_shown < 0 || m_shown >= count() - 1; }
    // Changes whenever another image is shown or the store is cleared.
    uint64_t generation() const { return m_generation; }

    // Report page (1-based) -> index of the image that holds it.
    void recordPage(int page, int imageIndex);
    int imageOfPage(int page) const; // -1 when no image holds the page
    int pageCount() const { return static_cast<int>(m_pageImages.size()); }
    // First and last report page held by an image (0 when none).
    int firstPageOfImage(int index) const;
    int lastPageOfImage(int index) const;

    QString fileName() const;
    int64_t fileSize() const;

private:
    struct Entry
    {
        int64_t offset;
        int64_t length;
        int width;
        int height;
    };
    void write(Entry &entry, const QByteArray &raw) const;
    void writePending() const;

    std::unique_ptr<QTemporaryFile> m_file;
    mutable std::vector<Entry> m_entries;
    mutable QByteArray m_pending; // the last image's grey rows, shown and not yet in the file
    std::vector<int> m_pageImages;
    int m_shown = -1;
    QImage m_shownImage;
    uint64_t m_generation = 0;
};

} // namespace pelanova
