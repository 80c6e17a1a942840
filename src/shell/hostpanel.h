#pragma once

#include <QPointer>
#include <QWidget>

namespace pelanova {

class HostedScreen;

// The main window's hosting area: shows one screen at a time, covering the
// area exactly, also after the window is resized, maximised or restored.
// The reference to the hosted screen is weak: once that screen is destroyed
// the area is empty.
class HostPanel : public QWidget
{
    Q_OBJECT

public:
    explicit HostPanel(QWidget *parent = nullptr);

    HostedScreen *hostedScreen() const { return m_hosted; }
    // Hosts the screen (or none): the screen shown before is hidden.
    void setScreen(HostedScreen *screen);

    // Covers the area with a blank panel while screens are swapped, so that
    // no half-built screen is ever seen; the cover goes when the guard does.
    class Cover
    {
    public:
        explicit Cover(HostPanel *panel);
        ~Cover();
        Cover(const Cover &) = delete;
        Cover &operator=(const Cover &) = delete;

    private:
        QPointer<QWidget> m_cover;
    };

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutScreen();

    QPointer<HostedScreen> m_hosted;
};

} // namespace pelanova
