#pragma once

#include <QApplication>

namespace pelanova {

class MessageBoxes;

// The application object. An error that an event handler leaves uncaught
// (a statement the database refuses, a number that does not convert) ends
// that handler only: the shared guard shows it and the application goes on.
class PelanovaApplication : public QApplication
{
    Q_OBJECT

public:
    PelanovaApplication(int &argc, char **argv);

    void setErrorDisplay(MessageBoxes *boxes) { m_boxes = boxes; }
    bool notify(QObject *receiver, QEvent *event) override;

private:
    MessageBoxes *m_boxes = nullptr;
};

} // namespace pelanova
