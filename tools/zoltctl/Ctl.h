// zoltctl: the link without a window. One command per run: list the ports, find the
// processor, back up or restore all modes (every processor of a venue at once), pull or
// push the working image, with a check of what arrived, recall or store a mode, describe a
// preset file or compare two presets field by field.
#pragma once

#include "ExitCodes.h"

#include "link/Clock.h"
#include "link/PortList.h"

#include <ostream>
#include <string>
#include <vector>

namespace zolt::ctl {

// Runs one command line (without the program name). Results go to out, messages to err;
// progress draws a bar on err during long transfers. clock serves the link's pauses;
// watch tells --wait of ports plugged in (null: the system's). Call from one thread, once
// at a time: the link state is process-wide.
int Run(const std::vector<std::string>& args, CClock& clock, std::ostream& out, std::ostream& err,
        bool progress, CPortWatch* watch = nullptr);

} // namespace zolt::ctl
