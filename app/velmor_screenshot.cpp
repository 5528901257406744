// Renders the main window without a display and writes it to a PNG, for the README and for looking
// at the window the way a user sees it: velmor-screenshot OUT.png [language word]
#include "core/main_form.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: velmor-screenshot OUT.png [ENGLISH|DEUTSCH|CESKY]\n");
        return 2;
    }
    MainFormOptions options;
    options.arguments = args.mid(1);
    options.startTimer = false;
    // A picture never touches the machine's serial ports.
    FixedPortList noPorts;
    MemorySerialDevices noDevices;
    options.portList = &noPorts;
    options.serialFactory = noDevices.Factory();
    // Nor does it take the port hand-over socket from a Velmor that runs beside it.
    options.handoverListen = false;
    TMainForm form(options);
    form.show();
    for (int i = 0; i < 3; ++i) {
        form.Timer1Timer();
        app.processEvents();
    }
    if (!form.grab().save(args.front())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.front()));
        return 1;
    }
    return 0;
}
