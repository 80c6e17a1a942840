#pragma once

class QLabel;
class QWidget;

namespace pelanova {

// A label that shows a value in a frame of the entries' kind, drawn on all
// four sides (a sunken panel loses its light edges on a light window).
QLabel *valuePanel(QWidget *parent);

} // namespace pelanova
