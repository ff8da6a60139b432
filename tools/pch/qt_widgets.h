// Qt Core, Gui and Widgets headers for windows and what tests them.
#include "qt_gui.h"
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
