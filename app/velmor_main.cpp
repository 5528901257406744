#include "core/main_form.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Velmor"));
    MainFormOptions options;
    options.arguments = app.arguments().mid(1);
    TMainForm form(options);
    form.show();
    return app.exec();
}
