#pragma once
// The splash: the friends, the program's name and version, shown while Pellworks
// starts. A key or a click sends it away early.

#include <QWidget>

class QFrame;
class QLabel;

namespace pw::media {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // The product name and "Version 1.2.3".
    void prepare(const QString& program_title, const QString& version_text);

    QFrame* frame = nullptr;
    QLabel* presents_label = nullptr;  // "presents"
    QLabel* logo = nullptr;
    QLabel* product_name_label = nullptr;
    QLabel* version_label = nullptr;
    QLabel* licence_label = nullptr;  // "FREE   "
    QLabel* copyright_label = nullptr;
    QLabel* author_label = nullptr;
    QLabel* company_label = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The picture of the friends that the splash and About show.
QPixmap friends_picture();

}  // namespace pw::media
