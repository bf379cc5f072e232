#include "app/Entry.h"

#include "app/TForm1.h"

#include <QApplication>

int RunConfigTool(int argc, char** argv)
{
    QApplication app(argc, argv);
    TForm1 form;
    form.show();
    return app.exec();
}
