// Renders the main window without a display and writes it to a PNG, for the README and for looking
// at the window the way a user sees it:
//   velmor-screenshot OUT.png [--unit] [ENGLISH|DEUTSCH|CESKY]
// With --unit the window talks to a simulated unit on an in-memory line (COM250) and is pictured
// once the unit is connected and the monitor shows live values.
#include "core/main_form.h"
#include "link/unit_driver.h"
#include "platform/port_list_fixed.h"
#include "platform/serial_memory.h"
#include "sim/memory_line_unit.h"

#include <QApplication>
#include <QPixmap>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool withUnit = args.removeAll(QStringLiteral("--unit")) > 0;
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: velmor-screenshot OUT.png [--unit] [ENGLISH|DEUTSCH|CESKY]\n");
        return 2;
    }
    MainFormOptions options;
    options.arguments = args.mid(1);
    options.startTimer = false;
    // A picture never touches the machine's serial ports.
    FixedPortList ports;
    MemorySerialDevices devices;
    options.portList = &ports;
    options.serialFactory = devices.Factory();
    // Nor does it take the port hand-over socket from a Velmor that runs beside it.
    options.handoverListen = false;

    std::unique_ptr<MemoryLineUnit> unit;
    if (withUnit) {
        ports.Set({ { 250, QStringLiteral("sim250") } });
        UnitConfig config;
        config.baudRate = 0;
        config.engine.fixedRpm = 6650;
        config.engine.input1 = 0;
        config.engine.input2 = 1;
        unit = std::make_unique<MemoryLineUnit>(devices.Add(QStringLiteral("sim250")), config);
        unit->Start();
    }

    {
        TMainForm form(options);
        form.show();
        // Without a unit three ticks settle the window; with one, tick in real time until the unit
        // is connected and a few monitor exchanges have come in (at most 20 s).
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        int liveTicks = 0;
        for (int i = 0; withUnit ? liveTicks < 40 && std::chrono::steady_clock::now() < deadline : i < 3; ++i) {
            form.Timer1Timer();
            app.processEvents();
            if (withUnit) {
                if (form.Driver().UnitConnected() && form.Driver().State() == DriverState::kMonitor)
                    ++liveTicks;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        if (!form.grab().save(args.front())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(args.front()));
            return 1;
        }
    }
    if (unit)
        unit->Stop();
    return 0;
}
