#pragma once

#include "image/ImageStore.h"

#include <QMainWindow>

class QTabWidget;

// The main window: owns the image, the port, the sockets and every page.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    ImageStore Image;
    QTabWidget* PageControl1 = nullptr;
};
