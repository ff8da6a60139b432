// Qt Core and Gui headers for what draws pictures and reads character files.
#include "qt_core.h"
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
