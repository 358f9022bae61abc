// zoltctl: the link without a window. One command per run: list the ports, find the
// processor, back up or restore all modes (every processor of a venue at once), pull or
// push the working image, with a check of what arrived, recall or store a mode, describe a
// preset file or compare two presets field by field.
#pragma once

#include "ExitCodes.h"

#include "link/Clock.h"
#include "link/PortList.h"
#include "link/Transport.h"

#include <ostream>
#include <string>
#include <vector>

namespace zolt::ctl {

// Where a run's link goes and in whose time. The program: the real clock, the serial ports,
// the comm thread and udev's port watch. The tests: the virtual clock, simulated processors
// opened by name, the link stepped on the calling thread, and a watch they announce ports
// through.
struct SCtlLink {
    CClock& m_clock;
    CTransportOpener* m_pOpener = nullptr; // null: every port is a serial device
    bool m_bStepped = false;
    CPortWatch* m_pWatch = nullptr; // for --wait; null: the system's
};

// Runs one command line (without the program name). Results go to out, messages to err;
// progress draws a bar on err during long transfers. Call from one thread, once at a
// time: the link state is process-wide.
int Run(const std::vector<std::string>& args, const SCtlLink& link, std::ostream& out,
        std::ostream& err, bool progress);

} // namespace zolt::ctl
